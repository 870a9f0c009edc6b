// The outline of dark regions (filter code 1).
#include "filters/Filters.h"
#include "filters/PixelAccess.h"
#include "filters/WorkTable.h"

namespace tamrovi {
namespace {

// The lightest gray that still counts as dark.
constexpr int kDarkestLight = 200;

template <int kPixelBytes>
void MarkDarkPixels(const CBmpImage& image, CWorkTable& marks) {
  const std::int32_t width = image.m_width;
  const std::int32_t height = image.m_height;
  for (std::int32_t row = 0; row < height; ++row) {
    const std::uint8_t* pixels = PictureRow<kPixelBytes>(image, row);
    std::uint8_t* mark = marks.Row(row);
    for (std::int32_t column = 0; column < width; ++column) {
      mark[column] = GrayAt<kPixelBytes>(pixels, column) <= kDarkestLight ? 1 : 0;
    }
  }
}

// Every decision reads the marks only, which this pass does not change, so
// a pixel's result depends on the picture as it was before the filter.
template <int kPixelBytes>
void RewriteInside(CBmpImage& image, const CWorkTable& marks) {
  const std::int32_t width = image.m_width;
  const std::int32_t height = image.m_height;
  for (std::int32_t row = 1; row + 1 < height; ++row) {
    const std::uint8_t* above = marks.Row(row - 1);
    const std::uint8_t* here = marks.Row(row);
    const std::uint8_t* below = marks.Row(row + 1);
    std::uint8_t* pixels = PictureRow<kPixelBytes>(image, row);
    for (std::int32_t column = 1; column + 1 < width; ++column) {
      const std::int32_t left = column - 1;
      const std::int32_t right = column + 1;
      const bool dark = here[column];
      const bool insideDarkRegion = above[left] & above[column] & above[right] & here[left] & here[right] &
                                    below[left] & below[column] & below[right];
      // Every byte is stored, changed or not: a loop without a branch runs
      // many pixels at a time.
      std::uint8_t* pixel = pixels + kPixelBytes * column;
      for (int byte = 0; byte < kPixelBytes; ++byte) {
        pixel[byte] = !dark ? kBlack : insideDarkRegion ? kWhite : pixel[byte];
      }
    }
  }
}

}  // namespace

int OutlineFilter(CBmpImage& image) noexcept {
  if (image.IsEmpty()) return 1;
  CWorkTable marks(image);
  if (!marks.IsHeld()) return 1;
  if (image.m_is24Bit) {
    MarkDarkPixels<kColourPixelBytes>(image, marks);
    RewriteInside<kColourPixelBytes>(image, marks);
  } else {
    MarkDarkPixels<kBytePlanePixelBytes>(image, marks);
    RewriteInside<kBytePlanePixelBytes>(image, marks);
  }
  return 1;
}

}  // namespace tamrovi
