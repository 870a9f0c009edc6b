// Colour-table pictures: stored indices looked up in the colour table.
#pragma once

#include <cstdint>

namespace tamrovi::bmp {

// A colour table inside the file image: `count` entries of `entrySize` bytes
// (4: blue, green, red, reserved; 3 in OS/2 1.x files: blue, green, red).
struct ColourTableView {
  const std::uint8_t* entries = nullptr;
  std::int32_t count = 0;
  int entrySize = 4;

  const std::uint8_t* Entry(std::int32_t i) const { return entries + static_cast<std::int64_t>(i) * entrySize; }
};

// The colour of every index a pixel of up to 8 bits can hold, 3 bytes each
// (blue, green, red). An index the table has no entry for is the gray level it
// is, as byte-plane pictures write such indices.
struct IndexColours {
  std::uint8_t bgr[256][3];
};

void BuildIndexColours(const ColourTableView& table, IndexColours& colours) noexcept;

// Turns one stored row of `width` indices of `bitCount` bits (1, 2, 4 or 8;
// the leftmost pixel in the high bits of its byte) into 3 * `width` bytes of
// blue, green, red at `bgr`. `stored` must hold the whole row.
void DecodeIndexedRow(const std::uint8_t* stored, std::int32_t width, int bitCount, const IndexColours& colours,
                      std::uint8_t* bgr) noexcept;

}  // namespace tamrovi::bmp
