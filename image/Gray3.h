// The gray level of a colour pixel, and the division by three behind it.
#pragma once

#include <cstdint>

namespace tamrovi {

// value / 3, truncated, for 0 <= value <= 32767, as a multiply and a shift:
// 21846 / 65536 is 1/3 + 1/98304, and for value = 3q + t the excess
// value / 98304 stays below the 1/3 that t = 2 leaves before the next whole
// number as long as value < 32768, so the product truncates to q exactly.
// Channel sums (at most 765) and four times them (3060) are well inside. The
// same multiply-high runs on sixteen 16-bit lanes at once, where a division
// has no vector form; the tests check every value.
inline constexpr std::uint32_t kThirdMultiplier = 21846;
inline constexpr int kThirdShift = 16;
inline constexpr int DivideByThree(int value) {
  return static_cast<int>((static_cast<std::uint32_t>(value) * kThirdMultiplier) >> kThirdShift);
}

// (blue + green + red) / 3, truncated: 0 to 255.
inline constexpr int Gray3(int blue, int green, int red) { return DivideByThree(blue + green + red); }

// The same for the three bytes blue, green, red at `pixel`.
inline int Gray3(const std::uint8_t* pixel) { return Gray3(pixel[0], pixel[1], pixel[2]); }

}  // namespace tamrovi
