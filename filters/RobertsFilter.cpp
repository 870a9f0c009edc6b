// Roberts-cross edges, black on white (filter code 2).
#include <cstring>
#include <utility>

#include "filters/FilterRows.h"
#include "filters/Filters.h"
#include "filters/WorkRows.h"
#include "image/ColourRows.h"

namespace tamrovi {
namespace {

// Every row's edges come from its gray levels and those of the row below;
// the last row and column have no 2 x 2 block and are white. The byte
// plane's row copies keep the picture as loaded and are never written, so
// each stored row takes its result straight away, with no work rows.
void PaintBytePlaneEdges(CBmpImage& image) {
  const std::int32_t width = image.m_width;
  for (std::int32_t row = 0; row < image.m_height; ++row) {
    std::uint8_t* levels = image.BytePlaneRow(row);
    if (row + 1 < image.m_height) {
      FilterRowRoutines().robertsEdges(image.m_grayRows[row], image.m_grayRows[row + 1], width, levels);
      levels[width - 1] = kWhite;
    } else {
      std::memset(levels, kWhite, static_cast<std::size_t>(width));
    }
  }
}

enum RobertsRow { kUpper, kLower, kLevels, kRobertsRows };

// A colour row is rewritten in place, so its gray levels are taken before:
// row r + 1's before row r is written, row r's kept from the turn before.
void PaintColourEdges(CBmpImage& image, CWorkRows& rows) {
  const std::int32_t width = image.m_width;
  std::uint8_t* upper = rows.Row(kUpper);
  std::uint8_t* lower = rows.Row(kLower);
  std::uint8_t* levels = rows.Row(kLevels);
  ColourRowRoutines().grayLevels(image.m_rgbRows[0], width, upper);
  for (std::int32_t row = 0; row < image.m_height; ++row) {
    if (row + 1 < image.m_height) {
      ColourRowRoutines().grayLevels(image.m_rgbRows[row + 1], width, lower);
      FilterRowRoutines().robertsEdges(upper, lower, width, levels);
      levels[width - 1] = kWhite;
      std::swap(upper, lower);
    } else {
      std::memset(levels, kWhite, static_cast<std::size_t>(width));
    }
    PaintColourRow(image, row, levels);
  }
}

}  // namespace

int RobertsFilter(CBmpImage& image) noexcept {
  if (image.IsEmpty()) return 1;
  if (!image.m_is24Bit) {
    PaintBytePlaneEdges(image);
    return 1;
  }
  CWorkRows rows(image.m_width, kRobertsRows);
  if (!rows.IsHeld()) return 1;
  PaintColourEdges(image, rows);
  return 1;
}

}  // namespace tamrovi
