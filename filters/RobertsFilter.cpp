// Roberts-cross edges, black on white (filter code 2).
#include <cstring>
#include <utility>

#include "filters/FilterRows.h"
#include "filters/Filters.h"
#include "filters/WorkRows.h"
#include "image/ColourRows.h"

namespace tamrovi {
namespace {

enum RobertsRow { kUpper, kLower, kLevels, kRobertsRows };

// The gray levels of picture row `row` as loaded. The byte plane's row copies
// are never written, so they serve as they are; a colour row is read into
// `gray` before it is rewritten.
const std::uint8_t* GrayRow(const CBmpImage& image, std::int32_t row, std::uint8_t* gray) {
  if (!image.m_is24Bit) return image.m_grayRows[row];
  ColourRowRoutines().grayLevels(image.m_rgbRows[row], image.m_width, gray);
  return gray;
}

// Each row's edges come from its gray levels and those of the row below,
// read before the row is rewritten. The last row and column have no 2 x 2
// block and are white.
void PaintEdges(CBmpImage& image, CWorkRows& rows) {
  const std::int32_t width = image.m_width;
  const std::int32_t height = image.m_height;
  std::uint8_t* upperGray = rows.Row(kUpper);
  std::uint8_t* lowerGray = rows.Row(kLower);
  std::uint8_t* levels = rows.Row(kLevels);
  const std::uint8_t* upper = GrayRow(image, 0, upperGray);
  for (std::int32_t row = 0; row < height; ++row) {
    if (row + 1 < height) {
      const std::uint8_t* lower = GrayRow(image, row + 1, lowerGray);
      FilterRowRoutines().robertsEdges(upper, lower, width, levels);
      levels[width - 1] = kWhite;
      upper = lower;
      std::swap(upperGray, lowerGray);
    } else {
      std::memset(levels, kWhite, static_cast<std::size_t>(width));
    }
    PaintLevels(image, row, levels);
  }
}

}  // namespace

int RobertsFilter(CBmpImage& image) noexcept {
  if (image.IsEmpty()) return 1;
  CWorkRows rows(image.m_width, kRobertsRows);
  if (!rows.IsHeld()) return 1;
  PaintEdges(image, rows);
  return 1;
}

}  // namespace tamrovi
