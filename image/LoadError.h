// Why LoadBmp refused a file, in words a user understands.
#pragma once

namespace tamrovi {

enum class BmpLoadError {
  kNone,                    // loaded
  kCannotOpen,              // missing, unreadable, no path, or a path that is not valid text
  kNotRegularFile,          // a directory, FIFO or device
  kReadFailed,              // the system reported fewer bytes than the file's length
  kFileTooLarge,            // 2 GiB or more
  kNoSignature,             // does not start with the letters B, M
  kTooShort,                // fewer bytes than the two headers need
  kInfoHeaderTooSmall,      // header-size field below 40
  kInfoHeaderPastEnd,       // header-size field larger than the file
  kUnsupportedCompression,  // compression field other than 0 (uncompressed)
  kUnsupportedBitCount,     // a bit count the reader does not take
  kNegativeWidth,
  kTooWide,                 // above kMaxWidth
  kTooTall,                 // more than kMaxRows rows, either storage order
  kNoPixels,                // width or height 0
  kTooManyColours,          // colours-used above 65535
  kColourTablePastEnd,      // the colour table runs past the end of the file
  kBadPixelOffset,          // pixel offset inside the headers or past the end of the file
  kOutOfMemory,
};

// A short lower-case phrase naming what was wrong, e.g. "not a BMP file (no BM
// signature)". Never null.
const char* DescribeLoadError(BmpLoadError error) noexcept;

}  // namespace tamrovi
