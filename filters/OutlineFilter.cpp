// The outline of dark regions (filter code 1).
#include <utility>

#include "filters/FilterRows.h"
#include "filters/Filters.h"
#include "filters/PixelAccess.h"
#include "filters/WorkRows.h"
#include "image/ColourRows.h"

namespace tamrovi {
namespace {

enum OutlineRow { kAbove, kHere, kBelow, kInside, kGray, kOutlineRows };

// The dark marks of picture row `row`, from its gray levels.
template <int kPixelBytes>
void MarkRow(const CBmpImage& image, std::int32_t row, std::uint8_t* gray, std::uint8_t* marks) {
  const std::uint8_t* levels = PictureRow<kPixelBytes>(image, row);
  if constexpr (kPixelBytes == kColourPixelBytes) {
    ColourRowRoutines().grayLevels(levels, image.m_width, gray);
    levels = gray;
  }
  FilterRowRoutines().markDark(levels, image.m_width, marks);
}

// A pixel becomes (pixel | inside) & here: black where it is not dark, white
// where it and its eight neighbours are dark, itself otherwise. The marks of
// a row are taken before the row is rewritten, and rows are rewritten top to
// bottom, so every decision reads the picture as it was before the filter.
template <int kPixelBytes>
void RewriteInside(CBmpImage& image, CWorkRows& rows) {
  const CFilterRowRoutines& routines = FilterRowRoutines();
  const std::int32_t width = image.m_width;
  const std::int32_t height = image.m_height;
  if (width < 3 || height < 3) return;  // no pixel has eight neighbours
  std::uint8_t* above = rows.Row(kAbove);
  std::uint8_t* here = rows.Row(kHere);
  std::uint8_t* below = rows.Row(kBelow);
  std::uint8_t* inside = rows.Row(kInside);
  MarkRow<kPixelBytes>(image, 0, rows.Row(kGray), above);
  MarkRow<kPixelBytes>(image, 1, rows.Row(kGray), here);
  for (std::int32_t row = 1; row + 1 < height; ++row) {
    MarkRow<kPixelBytes>(image, row + 1, rows.Row(kGray), below);
    routines.markInside(above, here, below, width, inside);
    // Inside columns only: the outermost columns never change.
    std::uint8_t* pixels = PictureRow<kPixelBytes>(image, row) + kPixelBytes;
    if constexpr (kPixelBytes == kColourPixelBytes) {
      ColourRowRoutines().maskPixels(pixels, width - 2, inside + 1, here + 1);
    } else {
      routines.maskBytes(pixels, width - 2, inside + 1, here + 1);
    }
    std::swap(above, here);
    std::swap(here, below);
  }
}

}  // namespace

int OutlineFilter(CBmpImage& image) noexcept {
  if (image.IsEmpty()) return 1;
  CWorkRows rows(image.m_width, kOutlineRows);
  if (!rows.IsHeld()) return 1;
  if (image.m_is24Bit) {
    RewriteInside<kColourPixelBytes>(image, rows);
  } else {
    RewriteInside<kBytePlanePixelBytes>(image, rows);
  }
  return 1;
}

}  // namespace tamrovi
