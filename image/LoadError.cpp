#include "image/LoadError.h"

namespace tamrovi {

const char* DescribeLoadError(BmpLoadError error) noexcept {
  switch (error) {
    case BmpLoadError::kNone: return "loaded";
    case BmpLoadError::kCannotOpen: return "cannot open the file";
    case BmpLoadError::kNotRegularFile: return "not a regular file";
    case BmpLoadError::kReadFailed: return "could not read the whole file";
    case BmpLoadError::kFileTooLarge: return "file too large (2 GiB or more)";
    case BmpLoadError::kNoSignature: return "not a BMP file (no BM signature)";
    case BmpLoadError::kTooShort: return "truncated BMP file (shorter than its 54-byte headers)";
    case BmpLoadError::kInfoHeaderTooSmall: return "unsupported BMP header (info header smaller than 40 bytes)";
    case BmpLoadError::kInfoHeaderPastEnd: return "truncated BMP file (info header runs past the end of the file)";
    case BmpLoadError::kUnsupportedCompression: return "unsupported BMP compression (only uncompressed files are read)";
    case BmpLoadError::kUnsupportedBitCount: return "unsupported bit count (only 8- and 24-bit files are read)";
    case BmpLoadError::kNegativeWidth: return "invalid BMP file (negative width)";
    case BmpLoadError::kTooWide: return "picture too wide (more than 32768 columns)";
    case BmpLoadError::kTooTall: return "picture too tall (more than 1600 rows)";
    case BmpLoadError::kNoPixels: return "picture has no pixels (width or height 0)";
    case BmpLoadError::kTooManyColours: return "invalid BMP file (more than 65535 colours used)";
    case BmpLoadError::kColourTablePastEnd: return "truncated BMP file (colour table runs past the end of the file)";
    case BmpLoadError::kBadPixelOffset: return "invalid BMP file (pixel data offset outside the file)";
    case BmpLoadError::kOutOfMemory: return "out of memory";
  }
  return "unknown error";
}

}  // namespace tamrovi
