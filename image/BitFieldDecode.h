// 16- and 32-bit pictures: each channel is a run of bits cut out of the pixel
// by its mask and scaled to 8 bits.
#pragma once

#include <cstdint>

#include "image/BmpHeaderParse.h"
#include "platform/Result.h"

namespace tamrovi::bmp {

// One channel: (pixel >> shift) & valueMask is its value, at most 8 bits
// (a wider channel keeps its top 8), and scale turns that value into 0..255.
struct ChannelField {
  unsigned shift = 0;
  std::uint32_t valueMask = 0;
  std::uint8_t scale[256] = {};
};

struct BitFieldLayout {
  int bitCount = 0;  // 16 or 32
  ChannelField blue;
  ChannelField green;
  ChannelField red;
};

// Checks the red, green and blue masks of a `bitCount`-bit picture (each
// non-empty, contiguous, within the pixel, no two sharing a bit; the alpha
// mask is not used) and makes their layout, or says why they are refused.
CResultOf<BitFieldLayout> MakeBitFieldLayout(const BitFieldMasks& masks, int bitCount) noexcept;

// Turns one stored row of `width` pixels into 3 * `width` bytes of blue,
// green, red at `bgr`. `stored` must hold the whole row.
void DecodeBitFieldRow(const std::uint8_t* stored, std::int32_t width, const BitFieldLayout& layout,
                       std::uint8_t* bgr) noexcept;

}  // namespace tamrovi::bmp
