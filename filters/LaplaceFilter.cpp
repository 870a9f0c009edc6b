// The sign of the four-neighbour Laplacian, in two levels (filter code 3).
#include <cstring>

#include "filters/FilterRows.h"
#include "filters/Filters.h"
#include "filters/WorkRows.h"
#include "image/ColourRows.h"

namespace tamrovi {
namespace {

// Writes the black of an outermost row, or of the two outermost columns of an
// inside row whose inside `decide` then fills.
template <typename Decide>
void SignRow(std::int32_t row, std::int32_t width, std::int32_t height, std::uint8_t* levels, Decide decide) {
  if (row > 0 && row + 1 < height) {
    levels[0] = levels[width - 1] = kBlack;
    decide(levels);
  } else {
    std::memset(levels, kBlack, static_cast<std::size_t>(width));
  }
}

// The byte plane's row copies keep the picture as loaded and are never
// written, so each stored row takes its result straight away, with no work
// rows.
void PaintBytePlaneSigns(CBmpImage& image) {
  const std::int32_t width = image.m_width;
  const std::int32_t height = image.m_height;
  const std::uint8_t* const* gray = image.m_grayRows;
  for (std::int32_t row = 0; row < height; ++row) {
    SignRow(row, width, height, image.BytePlaneRow(row), [&](std::uint8_t* levels) {
      FilterRowRoutines().laplaceOfBytes(gray[row - 1], gray[row], gray[row + 1], width, levels);
    });
  }
}

// The gray levels and centre terms of three rows in turn (row r in slot
// r mod 3), the channel sums they are made from, and one row of results.
// Centre terms and sums take two bytes a pixel.
enum LaplaceRow { kGrays = 0, kTerms = 3, kSums = 6, kLevels = 7, kLaplaceRows = 8 };

class CColourLaplace {
 public:
  CColourLaplace(CBmpImage& image, CWorkRows& rows) : m_image(image), m_rows(rows) {}

  // Takes the gray levels and centre terms of colour row `row` before the
  // row is rewritten.
  void Read(std::int32_t row) {
    auto* sums = reinterpret_cast<std::uint16_t*>(m_rows.Row(kSums));
    ColourRowRoutines().channelSums(m_image.m_rgbRows[row], m_image.m_width, sums);
    FilterRowRoutines().grayAndCentreTerms(sums, m_image.m_width, Gray(row), Terms(row));
  }

  void Decide(std::int32_t row, std::uint8_t* levels) const {
    FilterRowRoutines().laplaceOfGrays(Gray(row - 1), Gray(row), Gray(row + 1), Terms(row), m_image.m_width, levels);
  }

 private:
  std::uint8_t* Gray(std::int32_t row) const { return m_rows.Row(kGrays + row % 3); }
  std::uint16_t* Terms(std::int32_t row) const {
    return reinterpret_cast<std::uint16_t*>(m_rows.Row(kTerms + row % 3));
  }

  CBmpImage& m_image;
  CWorkRows& m_rows;
};

// A colour row is rewritten once the row below it has been read.
void PaintColourSigns(CBmpImage& image, CWorkRows& rows) {
  const std::int32_t width = image.m_width;
  const std::int32_t height = image.m_height;
  CColourLaplace laplace(image, rows);
  std::uint8_t* levels = rows.Row(kLevels);
  laplace.Read(0);
  for (std::int32_t row = 0; row < height; ++row) {
    if (row + 1 < height) laplace.Read(row + 1);
    SignRow(row, width, height, levels, [&](std::uint8_t* inside) { laplace.Decide(row, inside); });
    PaintColourRow(image, row, levels);
  }
}

}  // namespace

int LaplaceFilter(CBmpImage& image) noexcept {
  if (image.IsEmpty()) return 1;
  if (!image.m_is24Bit) {
    PaintBytePlaneSigns(image);
    return 1;
  }
  CWorkRows rows(2 * std::int64_t{image.m_width}, kLaplaceRows);
  if (!rows.IsHeld()) return 1;
  PaintColourSigns(image, rows);
  return 1;
}

}  // namespace tamrovi
