// Filters that apply a fixed rule to each pixel or row and need no work
// table: whitening of dark pixels (codes 4 and 6), the vertical flip (code 5)
// and the centre window (code 7).
#include <algorithm>
#include <cstring>

#include "filters/FilterRows.h"
#include "filters/Filters.h"
#include "filters/PixelAccess.h"

namespace tamrovi {
namespace {

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
  const CFilterRowRoutines& routines = FilterRowRoutines();
  for (std::int32_t row = 0; row < image.m_height; ++row) {
    if (image.m_is24Bit) {
      routines.whitenDarkPixels(image.m_rgbRows[row], image.m_width);
    } else {
      routines.whitenDarkBytes(image.BytePlaneRow(row), image.m_width);
    }
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
