// How many pixels of a picture have each gray level.
#pragma once

#include <cstdint>

#include "image/BmpImage.h"

namespace tamrovi {

inline constexpr int kGrayLevels = 256;

// Counts the pixels of `image` per gray level into `counts` (set to zeros
// first): the level of a pixel is Gray3 of the colour it shows, which for a
// picture of gray bytes is the byte itself. The counts
// of a loaded picture add up to width x height, at most 32768 x 1600, which a
// 32-bit counter holds. An empty object leaves every count 0. Returns 1.
int GrayHistogram(const CBmpImage& image, std::int32_t (&counts)[kGrayLevels]) noexcept;

}  // namespace tamrovi
