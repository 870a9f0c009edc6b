// Roberts-cross edges, black on white (filter code 2).
#include <cstring>

#include "filters/FilterRows.h"
#include "filters/Filters.h"
#include "filters/WorkRows.h"

namespace tamrovi {
namespace {

enum RobertsRow { kFirstGrays, kLevels = 2, kRobertsRows };

// Every row's edges come from its gray levels and those of the row below;
// the last row and column have no 2 x 2 block and are white. Row r is
// rewritten once row r + 1's gray levels are taken, and is needed by no later
// row, so gray bytes are read where they lie; colour rows' gray levels are
// made into two work rows in turn.
void PaintEdges(const CPictureRows& picture, CWorkRows& rows) {
  const std::int32_t width = picture.Width();
  std::uint8_t* levels = rows.Row(kLevels);
  const std::uint8_t* upper = picture.GrayLevels(0, rows.Row(kFirstGrays));
  for (std::int32_t row = 0; row < picture.Height(); ++row) {
    if (row + 1 < picture.Height()) {
      const std::uint8_t* lower = picture.GrayLevels(row + 1, rows.Row(kFirstGrays + (row + 1) % 2));
      FilterRowRoutines().robertsEdges(upper, lower, width, levels);
      levels[width - 1] = kWhite;
      upper = lower;
    } else {
      std::memset(levels, kWhite, static_cast<std::size_t>(width));
    }
    picture.PaintLevels(row, levels);
  }
}

}  // namespace

CResult Roberts(CBmpImage& image) noexcept { return WithWorkRows(image, kRobertsRows, PaintEdges); }

}  // namespace tamrovi
