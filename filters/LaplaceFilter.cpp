// The sign of the four-neighbour Laplacian, in two levels (filter code 3).
#include <cstring>

#include "filters/FilterRows.h"
#include "filters/Filters.h"
#include "filters/WorkRows.h"
#include "image/ColourRows.h"
#include "image/PictureRows.h"

namespace tamrovi {
namespace {

// The gray levels and centre terms of three colour rows in turn (row r in
// slot r mod 3), the channel sums they are made from, and the results of two
// rows in turn. Centre terms and sums take two bytes a pixel.
enum LaplaceRow { kGrays = 0, kTerms = 3, kSums = 6, kLevels = 7, kLaplaceRows = 9 };

class CLaplaceRows {
 public:
  CLaplaceRows(const CPictureRows& picture, CWorkRows& rows) : m_picture(picture), m_rows(rows) {}

  // Takes what the Laplacian needs of picture row `row` before the row is
  // rewritten. Gray bytes are their own gray levels, read where they lie, and
  // a centre term four times the byte, which the byte routine forms as it
  // goes; a colour pixel's centre term scales its channel sum before the
  // division by 3.
  void Read(std::int32_t row) {
    if (m_picture.IsGray()) {
      m_grays[row % 3] = m_picture.Row(row);
      return;
    }
    auto* sums = reinterpret_cast<std::uint16_t*>(m_rows.Row(kSums));
    std::uint8_t* grays = m_rows.Row(kGrays + row % 3);
    ColourRowRoutines().channelSums(m_picture.Row(row), m_picture.Width(), sums);
    FilterRowRoutines().grayAndCentreTerms(sums, m_picture.Width(), grays, Terms(row));
    m_grays[row % 3] = grays;
  }

  void Decide(std::int32_t row, std::uint8_t* levels) const {
    const std::int32_t width = m_picture.Width();
    const std::uint8_t* up = m_grays[(row - 1) % 3];
    const std::uint8_t* centre = m_grays[row % 3];
    const std::uint8_t* down = m_grays[(row + 1) % 3];
    if (m_picture.IsGray()) {
      FilterRowRoutines().laplaceOfBytes(up, centre, down, width, levels);
    } else {
      FilterRowRoutines().laplaceOfGrays(up, centre, down, Terms(row), width, levels);
    }
  }

 private:
  std::uint16_t* Terms(std::int32_t row) const {
    return reinterpret_cast<std::uint16_t*>(m_rows.Row(kTerms + row % 3));
  }

  const CPictureRows& m_picture;
  CWorkRows& m_rows;
  const std::uint8_t* m_grays[3] = {};  // rows' gray levels, where they lie or in work rows
};

// Row r's result needs rows r - 1 to r + 1 as they were, so it is written
// only once row r + 1's result is made: the row above is then needed no more,
// and gray bytes can be read in place. The outermost rows and the two
// outermost columns of every row are black.
void PaintSigns(const CPictureRows& picture, CWorkRows& rows) {
  const std::int32_t width = picture.Width();
  const std::int32_t height = picture.Height();
  CLaplaceRows laplace(picture, rows);
  auto levels = [&](std::int32_t row) { return rows.Row(kLevels + row % 2); };
  laplace.Read(0);
  for (std::int32_t row = 0; row < height; ++row) {
    if (row + 1 < height) laplace.Read(row + 1);
    if (row > 0 && row + 1 < height) {
      levels(row)[0] = levels(row)[width - 1] = kBlack;
      laplace.Decide(row, levels(row));
    } else {
      std::memset(levels(row), kBlack, static_cast<std::size_t>(width));
    }
    if (row > 0) picture.PaintLevels(row - 1, levels(row - 1));
  }
  picture.PaintLevels(height - 1, levels(height - 1));
}

}  // namespace

CResult Laplace(CBmpImage& image) noexcept {
  const CPictureRows picture(image);
  if (picture.IsEmpty()) return {};
  CWorkRows rows(2 * std::int64_t{picture.Width()}, kLaplaceRows);
  if (!rows.IsHeld()) return {Reason::kOutOfMemory, 0};
  PaintSigns(picture, rows);
  return {};
}

}  // namespace tamrovi
