// How the filters reach a picture row in either layout.
//
// Colour rows hold three bytes a pixel (blue, green, red), byte-plane rows
// one. A pass is written once, with the pixel size as a template argument, so
// that both layouts run the same rule and a gray picture gives the same
// result in either.
#pragma once

#include <cstdint>

#include "image/BmpImage.h"

namespace tamrovi {

// Bytes a pixel takes in each layout.
inline constexpr int kColourPixelBytes = 3;
inline constexpr int kBytePlanePixelBytes = 1;

// Picture row `row` (0 = top) where it is stored: the colour row, or the
// byte-plane row at the file's stride in the file's row order.
template <int kPixelBytes>
std::uint8_t* PictureRow(const CBmpImage& image, std::int32_t row) noexcept {
  if constexpr (kPixelBytes == kColourPixelBytes) {
    return image.m_rgbRows[row];
  } else {
    return image.BytePlaneRow(row);
  }
}

}  // namespace tamrovi
