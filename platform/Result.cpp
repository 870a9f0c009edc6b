#include "platform/Result.h"

namespace tamrovi {

const char* DescribeReason(Reason error) noexcept {
  switch (error) {
    case Reason::kNone: return "done";
    case Reason::kCannotOpen: return "cannot open the file";
    case Reason::kNotRegularFile: return "not a regular file";
    case Reason::kReadFailed: return "could not read the whole file";
    case Reason::kFileTooLarge: return "file too large (2 GiB or more)";
    case Reason::kNoSignature: return "not a BMP file (no BM signature)";
    case Reason::kPngFile: return "a PNG file, not a BMP file";
    case Reason::kJpegFile: return "a JPEG file, not a BMP file";
    case Reason::kGifFile: return "a GIF file, not a BMP file";
    case Reason::kTooShort: return "truncated BMP file (shorter than its headers)";
    case Reason::kInfoHeaderTooSmall: return "unsupported BMP header (info header smaller than 12 bytes)";
    case Reason::kUnknownInfoHeaderSize: return "unsupported BMP header (info header of 13 to 15 bytes)";
    case Reason::kInfoHeaderPastEnd: return "truncated BMP file (info header runs past the end of the file)";
    case Reason::kUnsupportedCompression: return "unsupported BMP compression (unknown compression method)";
    case Reason::kEmbeddedJpeg: return "unsupported BMP file (holds an embedded JPEG picture)";
    case Reason::kEmbeddedPng: return "unsupported BMP file (holds an embedded PNG picture)";
    case Reason::kCmyk: return "unsupported BMP file (CMYK colours)";
    case Reason::kOs2Huffman: return "unsupported BMP compression (OS/2 Huffman coding)";
    case Reason::kOs2Rle24: return "unsupported BMP compression (OS/2 24-bit run-length coding)";
    case Reason::kUnsupportedBitCount:
      return "unsupported bit count (only 1, 2, 4, 8, 16, 24 and 32 bits per pixel are read)";
    case Reason::kCompressionBitCountMismatch:
      return "invalid BMP file (compression method does not suit the bit count)";
    case Reason::kCompressedTopDown: return "invalid BMP file (run-length coded picture stored top-down)";
    case Reason::kMasksPastEnd: return "truncated BMP file (bit-field masks run past the end of the file)";
    case Reason::kEmptyMask: return "invalid bit-field masks (a colour channel has no bits)";
    case Reason::kOverlappingMasks: return "invalid bit-field masks (two colour channels share bits)";
    case Reason::kNonContiguousMask: return "invalid bit-field masks (a channel's bits are not contiguous)";
    case Reason::kMaskOutsidePixel: return "invalid bit-field masks (a mask reaches beyond the pixel's bits)";
    case Reason::kNegativeWidth: return "invalid BMP file (negative width)";
    case Reason::kTooWide: return "picture too wide (more than 32768 columns)";
    case Reason::kTooTall: return "picture too tall (more than 1600 rows)";
    case Reason::kTooManyPixels: return "picture too large (more pixels than the load accepts)";
    case Reason::kNoPixels: return "picture has no pixels (width or height 0)";
    case Reason::kTooManyColours: return "invalid BMP file (more than 65535 colours used)";
    case Reason::kColourTablePastEnd: return "truncated BMP file (colour table runs past the end of the file)";
    case Reason::kBadPixelOffset: return "invalid BMP file (pixel data starts inside the headers or past the end of the file)";
    case Reason::kOutOfMemory: return "out of memory";
    case Reason::kCannotWrite: return "cannot write the output";
    case Reason::kNothingToWrite: return "nothing to write (no picture loaded)";
  }
  return "unknown error";
}

}  // namespace tamrovi
