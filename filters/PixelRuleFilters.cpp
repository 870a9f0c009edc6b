// Filters that apply a fixed rule to each pixel or row and need no work
// table: whitening of dark pixels (codes 4 and 6), the vertical flip (code 5)
// and the centre window (code 7).
#include <algorithm>
#include <cstring>

#include "filters/Filters.h"
#include "filters/PixelAccess.h"

namespace tamrovi {
namespace {

// Gray levels below this are near-black and become white.
constexpr int kDarkLevels = 16;

template <int kPixelBytes>
void WhitenDarkPixels(CBmpImage& image) {
  const std::int32_t width = image.m_width;
  const std::int32_t height = image.m_height;
  for (std::int32_t row = 0; row < height; ++row) {
    std::uint8_t* pixels = PictureRow<kPixelBytes>(image, row);
    for (std::int32_t column = 0; column < width; ++column) {
      // Every byte is stored, changed or not: a loop without a branch runs
      // many pixels at a time.
      const bool dark = GrayAt<kPixelBytes>(pixels, column) < kDarkLevels;
      std::uint8_t* pixel = pixels + kPixelBytes * column;
      for (int byte = 0; byte < kPixelBytes; ++byte) pixel[byte] = dark ? kWhite : pixel[byte];
    }
  }
}

template <int kPixelBytes>
void ExchangeMirroredRows(CBmpImage& image) {
  const std::int32_t rowBytes = kPixelBytes * image.m_width;
  // With an odd height the middle row is its own mirror.
  for (std::int32_t row = 0; row < image.m_height / 2; ++row) {
    std::uint8_t* upper = PictureRow<kPixelBytes>(image, row);
    std::uint8_t* lower = PictureRow<kPixelBytes>(image, image.m_height - 1 - row);
    std::swap_ranges(upper, upper + rowBytes, lower);
  }
}

// Whitens pixels [first, last) of `pixels`.
template <int kPixelBytes>
void WhitenSpan(std::uint8_t* pixels, std::int32_t first, std::int32_t last) {
  if (first >= last) return;
  std::memset(pixels + kPixelBytes * first, kWhite, static_cast<std::size_t>(kPixelBytes) * (last - first));
}

template <int kPixelBytes>
void WhitenOutsideWindow(CBmpImage& image) {
  // The window sits left of the centre: it starts a quarter of the way across
  // but a third of the way down.
  const std::int32_t firstColumn = image.m_width / 4;
  const std::int32_t lastColumn = (2 * image.m_width) / 3;
  const std::int32_t firstRow = image.m_height / 3;
  const std::int32_t lastRow = (2 * image.m_height) / 3;
  for (std::int32_t row = 0; row < image.m_height; ++row) {
    std::uint8_t* pixels = PictureRow<kPixelBytes>(image, row);
    if (row < firstRow || row > lastRow) {
      WhitenSpan<kPixelBytes>(pixels, 0, image.m_width);
      continue;
    }
    WhitenSpan<kPixelBytes>(pixels, 0, firstColumn);
    WhitenSpan<kPixelBytes>(pixels, lastColumn + 1, image.m_width);
  }
}

}  // namespace

int WhitenDarkFilter(CBmpImage& image) noexcept {
  if (image.IsEmpty()) return 1;
  if (image.m_is24Bit) {
    WhitenDarkPixels<kColourPixelBytes>(image);
  } else {
    WhitenDarkPixels<kBytePlanePixelBytes>(image);
  }
  return 1;
}

int FlipVertical(CBmpImage& image) noexcept {
  if (image.IsEmpty()) return 1;
  if (image.m_is24Bit) {
    ExchangeMirroredRows<kColourPixelBytes>(image);
  } else {
    ExchangeMirroredRows<kBytePlanePixelBytes>(image);
  }
  return 1;
}

int CentreWindowFilter(CBmpImage& image) noexcept {
  if (image.IsEmpty()) return 1;
  if (image.m_is24Bit) {
    WhitenOutsideWindow<kColourPixelBytes>(image);
  } else {
    WhitenOutsideWindow<kBytePlanePixelBytes>(image);
  }
  return 1;
}

}  // namespace tamrovi
