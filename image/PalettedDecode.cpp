#include "image/PalettedDecode.h"

#include <cstring>

namespace tamrovi::bmp {

void BuildIndexColours(const ColourTableView& table, IndexColours& colours) noexcept {
  for (int index = 0; index < 256; ++index) {
    std::uint8_t* colour = colours.bgr[index];
    if (index < table.count) {
      std::memcpy(colour, table.Entry(index), 3);
    } else {
      colour[0] = colour[1] = colour[2] = static_cast<std::uint8_t>(index);
    }
  }
}

void DecodeIndexedRow(const std::uint8_t* stored, std::int32_t width, int bitCount, const IndexColours& colours,
                      std::uint8_t* bgr) noexcept {
  const int pixelsPerByte = 8 / bitCount;
  const unsigned indexMask = (1u << bitCount) - 1;
  for (std::int32_t x = 0; x < width; ++x) {
    const int slot = x % pixelsPerByte;
    const int shift = 8 - bitCount * (slot + 1);
    const unsigned index = (stored[x / pixelsPerByte] >> shift) & indexMask;
    std::memcpy(bgr + 3 * static_cast<std::int64_t>(x), colours.bgr[index], 3);
  }
}

}  // namespace tamrovi::bmp
