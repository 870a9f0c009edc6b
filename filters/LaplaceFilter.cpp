// The sign of the four-neighbour Laplacian, in two levels (filter code 3).
#include <cstring>

#include "filters/FilterRows.h"
#include "filters/Filters.h"
#include "filters/WorkRows.h"

namespace tamrovi {
namespace {

// The gray levels and thirds of three rows in turn (row r in slot r mod 3),
// and the results of two rows in turn.
enum LaplaceRow { kGrays = 0, kThirds = 3, kLevels = 6, kLaplaceRows = 8 };

// Row r's result needs rows r - 1 to r + 1 as they were, so it is written
// only once row r + 1's levels are taken: the row above is then needed no
// more, and levels that lie in the picture itself can be read in place. The
// outermost rows and the two outermost columns of every row are black.
void PaintSigns(const CPictureRows& picture, CWorkRows& rows) {
  const std::int32_t width = picture.Width();
  const std::int32_t height = picture.Height();
  const std::uint8_t* grays[3] = {};
  // Gray bytes leave their thirds rows as they find them: zeros.
  for (int slot = 0; slot < 3; ++slot) std::memset(rows.Row(kThirds + slot), 0, static_cast<std::size_t>(width));
  auto read = [&](std::int32_t row) {
    grays[row % 3] = picture.GrayLevelsAndThirds(row, rows.Row(kGrays + row % 3), rows.Row(kThirds + row % 3));
  };
  auto levels = [&](std::int32_t row) { return rows.Row(kLevels + row % 2); };
  read(0);
  for (std::int32_t row = 0; row < height; ++row) {
    if (row + 1 < height) read(row + 1);
    if (row > 0 && row + 1 < height) {
      levels(row)[0] = levels(row)[width - 1] = kBlack;
      FilterRowRoutines().laplace(grays[(row - 1) % 3], grays[row % 3], grays[(row + 1) % 3],
                                  rows.Row(kThirds + row % 3), width, levels(row));
    } else {
      std::memset(levels(row), kBlack, static_cast<std::size_t>(width));
    }
    if (row > 0) picture.PaintLevels(row - 1, levels(row - 1));
  }
  picture.PaintLevels(height - 1, levels(height - 1));
}

}  // namespace

CResult Laplace(CBmpImage& image) noexcept { return WithWorkRows(image, kLaplaceRows, PaintSigns); }

}  // namespace tamrovi
