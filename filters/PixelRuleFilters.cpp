// Filters that apply a fixed rule to each pixel or row and need no work
// rows: whitening of dark pixels (codes 4 and 6), the vertical flip (code 5)
// and the centre window (code 7).
#include <algorithm>
#include <cstring>

#include "filters/FilterRows.h"
#include "filters/Filters.h"
#include "image/PictureRows.h"

namespace tamrovi {
namespace {

// Whitens pixels [first, last) of `row`.
void WhitenSpan(const CPictureRows& picture, std::int32_t row, std::int32_t first, std::int32_t last) {
  if (first >= last) return;
  const int pixelBytes = picture.PixelBytes();
  std::memset(picture.Row(row) + std::int64_t{pixelBytes} * first, kWhite,
              static_cast<std::size_t>(pixelBytes) * (last - first));
}

// Whitening works along a row in spans this long, its levels and marks on
// the stack: no work rows to fail, and a few KiB of stack at most.
constexpr std::int32_t kSpanPixels = 1024;

}  // namespace

// A span without a dark pixel, as most are, is left unwritten: memory written
// back costs as much again as memory read, on a large picture.
int WhitenDarkFilter(CBmpImage& image) noexcept {
  const CPictureRows picture(image);
  const CFilterRowRoutines& routines = FilterRowRoutines();
  std::uint8_t grays[kSpanPixels], marks[kSpanPixels], white[kSpanPixels];
  std::memset(white, kWhite, sizeof white);
  for (std::int32_t row = 0; row < picture.Height(); ++row) {
    for (std::int32_t first = 0; first < picture.Width(); first += kSpanPixels) {
      const std::int32_t count = std::min(kSpanPixels, picture.Width() - first);
      const std::uint8_t* levels = picture.GrayLevels(row, first, count, grays);
      if (routines.darkMarks(levels, count, marks)) picture.PaintLevelsWhere(row, first, count, white, marks);
    }
  }
  return 1;
}

int FlipVertical(CBmpImage& image) noexcept {
  const CPictureRows picture(image);
  const std::int64_t rowBytes = std::int64_t{picture.PixelBytes()} * picture.Width();
  // With an odd height the middle row is its own mirror.
  for (std::int32_t row = 0; row < picture.Height() / 2; ++row) {
    std::uint8_t* upper = picture.Row(row);
    std::swap_ranges(upper, upper + rowBytes, picture.Row(picture.Height() - 1 - row));
  }
  return 1;
}

int CentreWindowFilter(CBmpImage& image) noexcept {
  const CPictureRows picture(image);
  const std::int32_t width = picture.Width();
  const std::int32_t height = picture.Height();
  // The window sits left of the centre: it starts a quarter of the way across
  // but a third of the way down.
  const std::int32_t firstColumn = width / 4;
  const std::int32_t lastColumn = (2 * width) / 3;
  const std::int32_t firstRow = height / 3;
  const std::int32_t lastRow = (2 * height) / 3;
  for (std::int32_t row = 0; row < height; ++row) {
    if (row < firstRow || row > lastRow) {
      WhitenSpan(picture, row, 0, width);
      continue;
    }
    WhitenSpan(picture, row, 0, firstColumn);
    WhitenSpan(picture, row, lastColumn + 1, width);
  }
  return 1;
}

}  // namespace tamrovi
