// How the filters reach pixels in either layout of a picture.
//
// Colour rows hold three bytes a pixel (blue, green, red), byte-plane rows
// one. Each pass is written once, with the pixel size as a template argument,
// so that both layouts run the same rule and a gray picture gives the same
// result in either.
//
// Passes copy the picture's width and height into locals before they loop: a
// store through a byte pointer may, as far as the compiler knows, change any
// field of the image object, and a bound it must read again on every pixel
// keeps a loop from running many pixels at a time.
#pragma once

#include <cstdint>

#include "image/BmpImage.h"
#include "image/Gray3.h"

namespace tamrovi {

inline constexpr std::uint8_t kBlack = 0;
inline constexpr std::uint8_t kWhite = 255;

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

// The gray level of pixel `column` of `row`: Gray3 of a colour pixel, the
// byte itself in the byte plane.
template <int kPixelBytes>
int GrayAt(const std::uint8_t* row, std::int32_t column) noexcept {
  if constexpr (kPixelBytes == kColourPixelBytes) {
    return Gray3(row + kColourPixelBytes * column);
  } else {
    return row[column];
  }
}

}  // namespace tamrovi
