// Roberts-cross edges, black on white (filter code 2).
#include <cstring>
#include <utility>

#include "filters/FilterRows.h"
#include "filters/Filters.h"
#include "filters/WorkRows.h"
#include "image/PictureRows.h"

namespace tamrovi {
namespace {

enum RobertsRow { kUpper, kLower, kLevels, kRobertsRows };

// Every row's edges come from its gray levels and those of the row below;
// the last row and column have no 2 x 2 block and are white. A row is
// rewritten in place, so its gray levels are taken before: row r + 1's before
// row r is written, row r's kept from the turn before.
void PaintEdges(const CPictureRows& picture, CWorkRows& rows) {
  const std::int32_t width = picture.Width();
  std::uint8_t* upper = rows.Row(kUpper);
  std::uint8_t* lower = rows.Row(kLower);
  std::uint8_t* levels = rows.Row(kLevels);
  picture.GrayLevels(0, upper);
  for (std::int32_t row = 0; row < picture.Height(); ++row) {
    if (row + 1 < picture.Height()) {
      picture.GrayLevels(row + 1, lower);
      FilterRowRoutines().robertsEdges(upper, lower, width, levels);
      levels[width - 1] = kWhite;
      std::swap(upper, lower);
    } else {
      std::memset(levels, kWhite, static_cast<std::size_t>(width));
    }
    picture.PaintLevels(row, levels);
  }
}

}  // namespace

int RobertsFilter(CBmpImage& image) noexcept {
  const CPictureRows picture(image);
  if (picture.IsEmpty()) return 1;
  CWorkRows rows(picture.Width(), kRobertsRows);
  if (!rows.IsHeld()) return 1;
  PaintEdges(picture, rows);
  return 1;
}

}  // namespace tamrovi
