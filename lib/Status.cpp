#include "lib/Status.h"

namespace tamrovi::lib {

tamrovi_status StatusOfReason(Reason reason) noexcept {
  switch (reason) {
    case Reason::kNone: return TAMROVI_OK;
    case Reason::kCannotOpen: return TAMROVI_CANNOT_OPEN;
    case Reason::kNotRegularFile: return TAMROVI_NOT_REGULAR_FILE;
    case Reason::kReadFailed: return TAMROVI_READ_FAILED;
    case Reason::kFileTooLarge: return TAMROVI_FILE_TOO_LARGE;
    case Reason::kNoSignature: return TAMROVI_NOT_BMP;
    case Reason::kPngFile: return TAMROVI_PNG_FILE;
    case Reason::kJpegFile: return TAMROVI_JPEG_FILE;
    case Reason::kGifFile: return TAMROVI_GIF_FILE;
    case Reason::kTooShort:
    case Reason::kInfoHeaderPastEnd:
    case Reason::kMasksPastEnd:
    case Reason::kColourTablePastEnd: return TAMROVI_TRUNCATED;
    case Reason::kInfoHeaderTooSmall:
    case Reason::kUnknownInfoHeaderSize: return TAMROVI_UNSUPPORTED_HEADER;
    case Reason::kUnsupportedCompression:
    case Reason::kEmbeddedJpeg:
    case Reason::kEmbeddedPng:
    case Reason::kCmyk:
    case Reason::kOs2Huffman:
    case Reason::kOs2Rle24: return TAMROVI_UNSUPPORTED_COMPRESSION;
    case Reason::kUnsupportedBitCount: return TAMROVI_UNSUPPORTED_BIT_COUNT;
    case Reason::kCompressionBitCountMismatch:
    case Reason::kCompressedTopDown:
    case Reason::kNegativeWidth:
    case Reason::kTooManyColours:
    case Reason::kBadPixelOffset: return TAMROVI_INVALID_FILE;
    case Reason::kEmptyMask:
    case Reason::kOverlappingMasks:
    case Reason::kNonContiguousMask:
    case Reason::kMaskOutsidePixel: return TAMROVI_INVALID_MASKS;
    case Reason::kTooWide: return TAMROVI_TOO_WIDE;
    case Reason::kTooTall: return TAMROVI_TOO_TALL;
    case Reason::kTooManyPixels: return TAMROVI_TOO_MANY_PIXELS;
    case Reason::kNoPixels: return TAMROVI_NO_PIXELS;
    case Reason::kOutOfMemory: return TAMROVI_OUT_OF_MEMORY;
    case Reason::kCannotWrite: return TAMROVI_CANNOT_WRITE;
    case Reason::kNothingToWrite: return TAMROVI_INVALID_ARGUMENT;  // a picture of the library is never empty
  }
  return TAMROVI_INVALID_FILE;
}

}  // namespace tamrovi::lib

extern "C" const char* tamrovi_status_text(tamrovi_status status) {
  switch (status) {
    case TAMROVI_OK: return "done";
    case TAMROVI_INVALID_ARGUMENT: return "invalid argument (a null pointer, or a size or stride that does not fit)";
    case TAMROVI_UNKNOWN_FILTER: return "unknown filter (codes 0 to 7, or the tool's filter names)";
    case TAMROVI_INVALID_SIGMA: return "bad sigma (give a number from 1e-150 to 100000)";
    case TAMROVI_OUT_OF_MEMORY: return "out of memory";
    case TAMROVI_CANNOT_OPEN: return "cannot open the file";
    case TAMROVI_NOT_REGULAR_FILE: return "not a regular file";
    case TAMROVI_READ_FAILED: return "could not read the whole file";
    case TAMROVI_CANNOT_WRITE: return "cannot write the output file";
    case TAMROVI_FILE_TOO_LARGE: return "file too large (2 GiB or more)";
    case TAMROVI_NOT_BMP: return "not a BMP file (no BM signature)";
    case TAMROVI_PNG_FILE: return "a PNG file, not a BMP file";
    case TAMROVI_JPEG_FILE: return "a JPEG file, not a BMP file";
    case TAMROVI_GIF_FILE: return "a GIF file, not a BMP file";
    case TAMROVI_TRUNCATED: return "truncated BMP file (it ends inside its headers or colour table)";
    case TAMROVI_UNSUPPORTED_HEADER: return "unsupported BMP header (an info header of a size no BMP variant has)";
    case TAMROVI_UNSUPPORTED_COMPRESSION: return "unsupported BMP compression";
    case TAMROVI_UNSUPPORTED_BIT_COUNT:
      return "unsupported bit count (only 1, 2, 4, 8, 16, 24 and 32 bits per pixel are read)";
    case TAMROVI_INVALID_FILE: return "invalid BMP file (its fields contradict each other or its length)";
    case TAMROVI_INVALID_MASKS: return "invalid bit-field masks";
    case TAMROVI_NO_PIXELS: return "picture has no pixels (width or height 0)";
    case TAMROVI_TOO_WIDE: return "picture too wide (more columns than the read accepts)";
    case TAMROVI_TOO_TALL: return "picture too tall (more rows than the read accepts)";
    case TAMROVI_TOO_MANY_PIXELS: return "picture too large (more pixels than the read accepts)";
    case TAMROVI_MISSING_ROWS: return "the file ends before its last row (refused: strict read)";
  }
  return "unknown status";
}
