// The sign of the four-neighbour Laplacian, in two levels (filter code 3).
#include <cstring>

#include "filters/FilterRows.h"
#include "filters/Filters.h"
#include "filters/WorkRows.h"
#include "image/ColourRows.h"

namespace tamrovi {
namespace {

// The gray levels and centre terms of three rows in turn (row r in slot
// r mod 3), the channel sums they are made from, and one row of results.
// Centre terms and sums take two bytes a pixel.
enum LaplaceRow { kGrays = 0, kTerms = 3, kSums = 6, kLevels = 7, kLaplaceRows = 8 };

class CLaplaceRows {
 public:
  CLaplaceRows(CBmpImage& image, CWorkRows& rows) : m_image(image), m_rows(rows) {}

  // Reads picture row `row` before it is rewritten. A colour row gives its
  // gray levels and centre terms; the byte plane's row copies are never
  // written and serve as they are.
  void Read(std::int32_t row) {
    if (!m_image.m_is24Bit) return;
    auto* sums = reinterpret_cast<std::uint16_t*>(m_rows.Row(kSums));
    ColourRowRoutines().channelSums(m_image.m_rgbRows[row], m_image.m_width, sums);
    FilterRowRoutines().grayAndCentreTerms(sums, m_image.m_width, Gray(row), Terms(row));
  }

  // The signs of the inside pixels of `row`, whose neighbours are all read.
  void Decide(std::int32_t row, std::uint8_t* levels) const {
    const std::int32_t width = m_image.m_width;
    if (m_image.m_is24Bit) {
      FilterRowRoutines().laplaceOfGrays(Gray(row - 1), Gray(row), Gray(row + 1), Terms(row), width, levels);
    } else {
      const std::uint8_t* const* gray = m_image.m_grayRows;
      FilterRowRoutines().laplaceOfBytes(gray[row - 1], gray[row], gray[row + 1], width, levels);
    }
  }

 private:
  std::uint8_t* Gray(std::int32_t row) const { return m_rows.Row(kGrays + row % 3); }
  std::uint16_t* Terms(std::int32_t row) const {
    return reinterpret_cast<std::uint16_t*>(m_rows.Row(kTerms + row % 3));
  }

  CBmpImage& m_image;
  CWorkRows& m_rows;
};

// A row is rewritten once the row below it has been read. The outermost rows
// and columns lack a neighbour and are black.
void PaintSigns(CBmpImage& image, CWorkRows& rows) {
  const std::int32_t width = image.m_width;
  const std::int32_t height = image.m_height;
  CLaplaceRows laplace(image, rows);
  std::uint8_t* levels = rows.Row(kLevels);
  laplace.Read(0);
  for (std::int32_t row = 0; row < height; ++row) {
    if (row + 1 < height) laplace.Read(row + 1);
    if (row > 0 && row + 1 < height) {
      levels[0] = levels[width - 1] = kBlack;
      laplace.Decide(row, levels);
    } else {
      std::memset(levels, kBlack, static_cast<std::size_t>(width));
    }
    PaintLevels(image, row, levels);
  }
}

}  // namespace

int LaplaceFilter(CBmpImage& image) noexcept {
  if (image.IsEmpty()) return 1;
  CWorkRows rows(2 * std::int64_t{image.m_width}, kLaplaceRows);
  if (!rows.IsHeld()) return 1;
  PaintSigns(image, rows);
  return 1;
}

}  // namespace tamrovi
