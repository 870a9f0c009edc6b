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
    case BmpLoadError::kPngFile: return "a PNG file, not a BMP file";
    case BmpLoadError::kJpegFile: return "a JPEG file, not a BMP file";
    case BmpLoadError::kGifFile: return "a GIF file, not a BMP file";
    case BmpLoadError::kTooShort: return "truncated BMP file (shorter than its headers)";
    case BmpLoadError::kInfoHeaderTooSmall: return "unsupported BMP header (info header smaller than 12 bytes)";
    case BmpLoadError::kUnknownInfoHeaderSize: return "unsupported BMP header (info header of 13 to 15 bytes)";
    case BmpLoadError::kInfoHeaderPastEnd: return "truncated BMP file (info header runs past the end of the file)";
    case BmpLoadError::kUnsupportedCompression: return "unsupported BMP compression (unknown compression method)";
    case BmpLoadError::kEmbeddedJpeg: return "unsupported BMP file (holds an embedded JPEG picture)";
    case BmpLoadError::kEmbeddedPng: return "unsupported BMP file (holds an embedded PNG picture)";
    case BmpLoadError::kCmyk: return "unsupported BMP file (CMYK colours)";
    case BmpLoadError::kOs2Huffman: return "unsupported BMP compression (OS/2 Huffman coding)";
    case BmpLoadError::kOs2Rle24: return "unsupported BMP compression (OS/2 24-bit run-length coding)";
    case BmpLoadError::kUnsupportedBitCount:
      return "unsupported bit count (only 1, 2, 4, 8, 16, 24 and 32 bits per pixel are read)";
    case BmpLoadError::kCompressionBitCountMismatch:
      return "invalid BMP file (compression method does not suit the bit count)";
    case BmpLoadError::kCompressedTopDown: return "invalid BMP file (run-length coded picture stored top-down)";
    case BmpLoadError::kMasksPastEnd: return "truncated BMP file (bit-field masks run past the end of the file)";
    case BmpLoadError::kEmptyMask: return "invalid bit-field masks (a colour channel has no bits)";
    case BmpLoadError::kOverlappingMasks: return "invalid bit-field masks (two colour channels share bits)";
    case BmpLoadError::kNonContiguousMask: return "invalid bit-field masks (a channel's bits are not contiguous)";
    case BmpLoadError::kMaskOutsidePixel: return "invalid bit-field masks (a mask reaches beyond the pixel's bits)";
    case BmpLoadError::kNegativeWidth: return "invalid BMP file (negative width)";
    case BmpLoadError::kTooWide: return "picture too wide (more than 32768 columns)";
    case BmpLoadError::kTooTall: return "picture too tall (more than 1600 rows)";
    case BmpLoadError::kTooManyPixels: return "picture too large (more pixels than the load accepts)";
    case BmpLoadError::kNoPixels: return "picture has no pixels (width or height 0)";
    case BmpLoadError::kTooManyColours: return "invalid BMP file (more than 65535 colours used)";
    case BmpLoadError::kColourTablePastEnd: return "truncated BMP file (colour table runs past the end of the file)";
    case BmpLoadError::kBadPixelOffset: return "invalid BMP file (pixel data starts inside the headers or past the end of the file)";
    case BmpLoadError::kOutOfMemory: return "out of memory";
  }
  return "unknown error";
}

}  // namespace tamrovi
