// The gray level of a colour pixel.
#pragma once

#include <cstdint>

namespace tamrovi {

// (blue + green + red) / 3, truncated: 0 to 255.
inline int Gray3(int blue, int green, int red) { return (blue + green + red) / 3; }

// The same for the three bytes blue, green, red at `pixel`.
inline int Gray3(const std::uint8_t* pixel) { return Gray3(pixel[0], pixel[1], pixel[2]); }

}  // namespace tamrovi
