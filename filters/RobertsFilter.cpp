// Roberts-cross edges, black on white (filter code 2).
#include <cstring>

#include "filters/Filters.h"
#include "filters/PixelAccess.h"
#include "filters/WorkTable.h"

namespace tamrovi {
namespace {

// A gradient magnitude of 50 or more is an edge. Compared squared, in
// integers: a and b are whole numbers, so a*a + b*b >= 2500 is exactly the
// test sqrt(a*a + b*b) >= 50.0.
constexpr int kEdgeMagnitude = 50;
constexpr int kEdgeMagnitudeSquared = kEdgeMagnitude * kEdgeMagnitude;

// `rows` are the picture's rows as loaded, 0 = top. Each 2 x 2 block decides
// the pixel at its top left; the last row and column have no block and stay
// white.
template <int kPixelBytes>
void ComputeEdges(const CBmpImage& image, std::uint8_t* const* rows, CWorkTable& levels) {
  const std::int32_t lastColumn = image.m_width - 1;
  for (std::int32_t row = 0; row + 1 < image.m_height; ++row) {
    const std::uint8_t* upper = rows[row];
    const std::uint8_t* lower = rows[row + 1];
    std::uint8_t* level = levels.Row(row);
    // Each block's right column is the next block's left column.
    int g00 = GrayAt<kPixelBytes>(upper, 0);
    int g10 = GrayAt<kPixelBytes>(lower, 0);
    for (std::int32_t column = 0; column < lastColumn; ++column) {
      const int g01 = GrayAt<kPixelBytes>(upper, column + 1);
      const int g11 = GrayAt<kPixelBytes>(lower, column + 1);
      const int a = g00 - g11;
      const int b = g01 - g10;
      level[column] = a * a + b * b >= kEdgeMagnitudeSquared ? kBlack : kWhite;
      g00 = g01;
      g10 = g11;
    }
    level[lastColumn] = kWhite;
  }
  std::memset(levels.Row(image.m_height - 1), kWhite, static_cast<std::size_t>(image.m_width));
}

}  // namespace

int RobertsFilter(CBmpImage& image) noexcept {
  if (image.IsEmpty()) return 1;
  CWorkTable levels(image);
  if (!levels.IsHeld()) return 1;
  // The byte plane is read from its row copies, which keep the picture as
  // loaded; the result goes to the stored rows.
  if (image.m_is24Bit) {
    ComputeEdges<kColourPixelBytes>(image, image.m_rgbRows, levels);
  } else {
    ComputeEdges<kBytePlanePixelBytes>(image, image.m_grayRows, levels);
  }
  PaintLevels(image, levels);
  return 1;
}

}  // namespace tamrovi
