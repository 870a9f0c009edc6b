// The one shape of an outcome inside the library: a reason from one list,
// each with one text, and the system's error number where the system gave
// one. The file objects, loading, filtering, writing and the tool all answer
// with it; the 1/0 results and fields of the image object are read from it.
// The list names every reason the library gives, the file's and the
// picture's alike; the file objects only ever give the file's own.
#pragma once

namespace tamrovi {

enum class Reason {
  kNone,                    // done
  kCannotOpen,              // missing, unreadable, no path, or a path that is not valid text
  kNotRegularFile,          // a directory, FIFO or device
  kReadFailed,              // the system reported fewer bytes than the file's length
  kFileTooLarge,            // 2 GiB or more
  kNoSignature,             // does not start with the letters B, M
  kPngFile,                 // starts with the PNG signature
  kJpegFile,                // starts with the JPEG start-of-image marker
  kGifFile,                 // starts with GIF87a or GIF89a
  kTooShort,                // the file ends inside its headers
  kInfoHeaderTooSmall,      // header-size field below 12, the smallest header
  kUnknownInfoHeaderSize,   // header-size field of 13 to 15: no header has that size
  kInfoHeaderPastEnd,       // header-size field larger than the file
  kUnsupportedCompression,  // a compression field no BMP variant defines
  kEmbeddedJpeg,            // compression 4: the pixels are a JPEG file
  kEmbeddedPng,             // compression 5: the pixels are a PNG file
  kCmyk,                    // compressions 11 to 13: CMYK pixels
  kOs2Huffman,              // OS/2 2.x compression 3
  kOs2Rle24,                // OS/2 2.x compression 4
  kUnsupportedBitCount,     // a bit count other than 1, 2, 4, 8, 16, 24 or 32
  kCompressionBitCountMismatch,  // e.g. RLE8 on a 4-bit picture, bit fields on an 8-bit one
  kCompressedTopDown,       // a run-length coded picture with a negative height
  kMasksPastEnd,            // the bit-field masks after a 40-byte header run past the end of the file
  kEmptyMask,               // a colour channel's mask has no bits
  kOverlappingMasks,        // two colour channels' masks share bits
  kNonContiguousMask,       // a colour channel's mask has a gap
  kMaskOutsidePixel,        // a mask has bits beyond the pixel's bit count
  kNegativeWidth,
  kTooWide,                 // more columns than the load's limits allow
  kTooTall,                 // more rows than the limits allow, either storage order
  kTooManyPixels,           // more pixels (columns times rows) than the limits allow
  kNoPixels,                // width or height 0
  kTooManyColours,          // colours-used above 65535
  kColourTablePastEnd,      // the colour table runs past the end of the file
  kBadPixelOffset,          // pixel offset inside the headers (masks included) or past the end of the file
  kOutOfMemory,
  kCannotWrite,             // the output could not be created or written (the system's error number says why)
  kNothingToWrite,          // an empty picture has no file image to write
};

struct CResult {
  Reason reason = Reason::kNone;
  int systemError = 0;  // the system's error number, 0 when it gave none

  bool Ok() const noexcept { return reason == Reason::kNone; }
};

// A result and, when it is Ok, a value.
template <typename Value>
struct CResultOf {
  CResult result;
  Value value{};

  bool Ok() const noexcept { return result.Ok(); }
};

// A short lower-case phrase naming what was wrong, e.g. "not a BMP file (no BM
// signature)". Never null. The sizes named are those of kExportLimits; a
// caller with other limits names its own.
const char* DescribeReason(Reason error) noexcept;

}  // namespace tamrovi
