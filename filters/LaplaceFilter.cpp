// The sign of the four-neighbour Laplacian, in two levels (filter code 3).
#include <cstring>

#include "filters/Filters.h"
#include "filters/PixelAccess.h"
#include "filters/WorkTable.h"

namespace tamrovi {
namespace {

// Four times the centre pixel. A colour pixel's channel sum is scaled before
// the division by 3, so the term is not always 4 * Gray3: (2, 0, 0) gives 2
// where its Gray3 is 0.
template <int kPixelBytes>
int CentreTerm(const std::uint8_t* row, std::int32_t column) {
  if constexpr (kPixelBytes == kColourPixelBytes) {
    const std::uint8_t* pixel = row + kColourPixelBytes * column;
    return (4 * (pixel[0] + pixel[1] + pixel[2])) / 3;
  } else {
    return 4 * row[column];
  }
}

// `rows` are the picture's rows as loaded, 0 = top. The outermost rows and
// columns lack a neighbour and stay black.
template <int kPixelBytes>
void ComputeSigns(const CBmpImage& image, std::uint8_t* const* rows, CWorkTable& levels) {
  const std::int32_t width = image.m_width;
  const std::int32_t height = image.m_height;
  std::memset(levels.Row(0), kBlack, static_cast<std::size_t>(width));
  std::memset(levels.Row(height - 1), kBlack, static_cast<std::size_t>(width));
  for (std::int32_t row = 1; row + 1 < height; ++row) {
    const std::uint8_t* up = rows[row - 1];
    const std::uint8_t* centre = rows[row];
    const std::uint8_t* down = rows[row + 1];
    std::uint8_t* level = levels.Row(row);
    level[0] = kBlack;
    for (std::int32_t column = 1; column + 1 < width; ++column) {
      const int neighbours = GrayAt<kPixelBytes>(up, column) + GrayAt<kPixelBytes>(down, column) +
                             GrayAt<kPixelBytes>(centre, column - 1) + GrayAt<kPixelBytes>(centre, column + 1);
      level[column] = neighbours - CentreTerm<kPixelBytes>(centre, column) > 0 ? kWhite : kBlack;
    }
    level[width - 1] = kBlack;
  }
}

}  // namespace

int LaplaceFilter(CBmpImage& image) noexcept {
  if (image.IsEmpty()) return 1;
  CWorkTable levels(image);
  if (!levels.IsHeld()) return 1;
  // The byte plane is read from its row copies, which keep the picture as
  // loaded; the result goes to the stored rows.
  if (image.m_is24Bit) {
    ComputeSigns<kColourPixelBytes>(image, image.m_rgbRows, levels);
  } else {
    ComputeSigns<kBytePlanePixelBytes>(image, image.m_grayRows, levels);
  }
  PaintLevels(image, levels);
  return 1;
}

}  // namespace tamrovi
