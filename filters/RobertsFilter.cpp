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

// The gray level of every pixel of `rows` (the picture as loaded, 0 = top),
// into the table.
template <int kPixelBytes>
void CopyGrayLevels(const CBmpImage& image, std::uint8_t* const* rows, CWorkTable& table) {
  const std::int32_t width = image.m_width;
  const std::int32_t height = image.m_height;
  for (std::int32_t row = 0; row < height; ++row) {
    const std::uint8_t* pixels = rows[row];
    std::uint8_t* gray = table.Row(row);
    for (std::int32_t column = 0; column < width; ++column) {
      gray[column] = static_cast<std::uint8_t>(GrayAt<kPixelBytes>(pixels, column));
    }
  }
}

// Turns the gray levels in `table` into black and white, in place: each 2 x 2
// block decides its top-left cell, which no later block reads. The last row
// and column have no block and become white.
void DecideEdges(std::int32_t width, std::int32_t height, CWorkTable& table) {
  for (std::int32_t row = 0; row + 1 < height; ++row) {
    std::uint8_t* upper = table.Row(row);
    const std::uint8_t* lower = table.Row(row + 1);
    for (std::int32_t column = 0; column + 1 < width; ++column) {
      const int a = upper[column] - lower[column + 1];
      const int b = upper[column + 1] - lower[column];
      upper[column] = a * a + b * b >= kEdgeMagnitudeSquared ? kBlack : kWhite;
    }
    upper[width - 1] = kWhite;
  }
  std::memset(table.Row(height - 1), kWhite, static_cast<std::size_t>(width));
}

}  // namespace

int RobertsFilter(CBmpImage& image) noexcept {
  if (image.IsEmpty()) return 1;
  CWorkTable table(image);
  if (!table.IsHeld()) return 1;
  // The byte plane is read from its row copies, which keep the picture as
  // loaded; the result goes to the stored rows.
  if (image.m_is24Bit) {
    CopyGrayLevels<kColourPixelBytes>(image, image.m_rgbRows, table);
  } else {
    CopyGrayLevels<kBytePlanePixelBytes>(image, image.m_grayRows, table);
  }
  DecideEdges(image.m_width, image.m_height, table);
  PaintLevels(image, table);
  return 1;
}

}  // namespace tamrovi
