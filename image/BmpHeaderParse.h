// The BMP header variants read into one description of the picture.
//
// Four header families are in use:
// - OS/2 1.x (12 bytes): 16-bit unsigned width and height, then planes and
//   bit count; colour-table entries are 3 bytes (blue, green, red).
// - OS/2 2.x (16 to 64 bytes, except 40, 52 and 56): the first 40 bytes are
//   laid out as in the Windows header, and fields the header is too short to
//   hold count as 0; compression 3 and 4 mean Huffman and 24-bit RLE here.
// - Windows (40 bytes, and 52, 56, 108, 124 or any other size above 64):
//   signed width and height (a negative height stores the picture top-down);
//   from 52 bytes the header holds the red, green and blue masks, from 56 the
//   alpha mask; with a 40-byte header bit-field masks follow it as 3 or 4
//   words.
// Colour tables of the two later families have 4-byte entries (blue, green,
// red, reserved).
#pragma once

#include <cstdint>

#include "platform/Result.h"
#include "image/LoadLimits.h"

namespace tamrovi::bmp {

enum class HeaderFamily { kOs2Core, kOs2V2, kWindows };

// How the stored pixels turn into colours.
enum class PixelFormat {
  kIndexed,    // 1, 2, 4 or 8 bits a pixel, each an index into the colour table
  kBgr24,      // 3 bytes a pixel: blue, green, red
  kBitFields,  // 16 or 32 bits a pixel, channels cut out by masks
  kRle8,       // run-length coded 8-bit indices
  kRle4,       // run-length coded 4-bit indices
};

struct BitFieldMasks {
  std::uint32_t red = 0;
  std::uint32_t green = 0;
  std::uint32_t blue = 0;
  std::uint32_t alpha = 0;  // read, never used: pictures have no transparency here
};

// Everything the decoders need, with every offset and count checked against
// the bytes the file holds. Offsets count from the start of the info header,
// the first byte after the 14-byte file header.
struct BmpDescription {
  HeaderFamily family = HeaderFamily::kWindows;
  std::int32_t headerSize = 0;
  std::int32_t width = 0;
  std::int32_t height = 0;  // rows, positive
  bool topDown = false;
  int bitCount = 0;
  PixelFormat format = PixelFormat::kIndexed;
  BitFieldMasks masks;  // for kBitFields: the file's, or the defaults of its bit count
  std::int64_t colourTableOffset = 0;
  std::int32_t nColors = 0;    // colour-table entries; 0 above 8 bits a pixel
  int colourEntrySize = 4;     // 3 in OS/2 1.x files
  std::int64_t pixelOffset = 0;

  bool IsRunLength() const noexcept { return format == PixelFormat::kRle8 || format == PixelFormat::kRle4; }
};

// The most bytes of the info header the parse reads: the largest known
// header, which also covers the masks that may follow a 40-byte one. A
// reader that holds this many bytes after the file header (or the whole file,
// when shorter) can check a picture's headers before reading its pixels.
inline constexpr std::int64_t kHeaderBytesParsed = 124;

// Reads the info header at `dib` together with the file header's
// `filePixelOffset` into one description. `dibSize` is the length of the
// file after its file header, of which the first `heldBytes` are at `dib`:
// at least kHeaderBytesParsed, or all of them. Fails with why the file is
// refused, a picture beyond `limits` among the reasons; nothing past the
// `heldBytes` is read.
CResultOf<BmpDescription> ParseBmpHeader(const std::uint8_t* dib, std::int64_t heldBytes, std::int64_t dibSize,
                                         std::uint32_t filePixelOffset, const CLoadLimits& limits) noexcept;

}  // namespace tamrovi::bmp
