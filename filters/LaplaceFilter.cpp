// The sign of the four-neighbour Laplacian, in two levels (filter code 3).
#include <cstring>

#include "filters/FilterRows.h"
#include "filters/Filters.h"
#include "filters/WorkRows.h"
#include "image/ColourRows.h"
#include "image/PictureRows.h"

namespace tamrovi {
namespace {

// The gray levels and centre terms of three rows in turn (row r in slot
// r mod 3), the channel sums they are made from, and one row of results.
// Centre terms and sums take two bytes a pixel.
enum LaplaceRow { kGrays = 0, kTerms = 3, kSums = 6, kLevels = 7, kLaplaceRows = 8 };

class CLaplaceRows {
 public:
  CLaplaceRows(const CPictureRows& picture, CWorkRows& rows) : m_picture(picture), m_rows(rows) {}

  // Takes what the Laplacian needs of picture row `row` before the row is
  // rewritten. A gray byte's centre term is four times itself, which the
  // byte routine forms as it goes; a colour pixel's scales its channel sum
  // before the division by 3.
  void Read(std::int32_t row) {
    if (m_picture.IsGray()) {
      m_picture.GrayLevels(row, Gray(row));
      return;
    }
    auto* sums = reinterpret_cast<std::uint16_t*>(m_rows.Row(kSums));
    ColourRowRoutines().channelSums(m_picture.Row(row), m_picture.Width(), sums);
    FilterRowRoutines().grayAndCentreTerms(sums, m_picture.Width(), Gray(row), Terms(row));
  }

  void Decide(std::int32_t row, std::uint8_t* levels) const {
    const std::int32_t width = m_picture.Width();
    if (m_picture.IsGray()) {
      FilterRowRoutines().laplaceOfBytes(Gray(row - 1), Gray(row), Gray(row + 1), width, levels);
    } else {
      FilterRowRoutines().laplaceOfGrays(Gray(row - 1), Gray(row), Gray(row + 1), Terms(row), width, levels);
    }
  }

 private:
  std::uint8_t* Gray(std::int32_t row) const { return m_rows.Row(kGrays + row % 3); }
  std::uint16_t* Terms(std::int32_t row) const {
    return reinterpret_cast<std::uint16_t*>(m_rows.Row(kTerms + row % 3));
  }

  const CPictureRows& m_picture;
  CWorkRows& m_rows;
};

// A row is rewritten once the row below it has been read. The outermost rows
// and the two outermost columns of every row are black.
void PaintSigns(const CPictureRows& picture, CWorkRows& rows) {
  const std::int32_t width = picture.Width();
  const std::int32_t height = picture.Height();
  CLaplaceRows laplace(picture, rows);
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
    picture.PaintLevels(row, levels);
  }
}

}  // namespace

int LaplaceFilter(CBmpImage& image) noexcept {
  const CPictureRows picture(image);
  if (picture.IsEmpty()) return 1;
  CWorkRows rows(2 * std::int64_t{picture.Width()}, kLaplaceRows);
  if (!rows.IsHeld()) return 1;
  PaintSigns(picture, rows);
  return 1;
}

}  // namespace tamrovi
