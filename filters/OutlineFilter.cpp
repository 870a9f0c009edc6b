// The outline of dark regions (filter code 1).

#include "filters/FilterRows.h"
#include "filters/Filters.h"
#include "filters/WorkRows.h"
#include "image/ColourRows.h"
#include "image/PictureRows.h"

namespace tamrovi {
namespace {

// The lightest gray across each of three rows in turn (row r in slot r mod
// 3), the gray levels of the rows in the same turn, and the masks a colour
// row is rewritten with.
enum OutlineRow { kLightest = 0, kGrays = 3, kSet = 6, kKeep = 7, kOutlineRows = 8 };

class COutlineRows {
 public:
  COutlineRows(const CPictureRows& picture, CWorkRows& rows) : m_picture(picture), m_rows(rows) {}

  // Takes what is needed of picture row `row` before the row is rewritten.
  void Read(std::int32_t row) {
    m_grays[row % 3] = m_picture.GrayLevels(row, m_rows.Row(kGrays + row % 3));
    FilterRowRoutines().lightestAcross(m_grays[row % 3], m_picture.Width(), Lightest(row));
  }

  // Reads row + 1, then rewrites `row`: light pixels become black, pixels
  // whose whole neighbourhood is dark white, the rest keep their value. Only
  // the inside columns; the outermost never change. Gray bytes are their own
  // gray levels, so they are read and rewritten in one pass.
  void ReadBelowAndRewrite(std::int32_t row) {
    const std::int32_t width = m_picture.Width();
    std::uint8_t* pixels = m_picture.Row(row);
    if (m_picture.IsGray()) {
      FilterRowRoutines().outlineBytes(Lightest(row - 1), Lightest(row), m_picture.Row(row + 1), width,
                                       Lightest(row + 1), pixels);
      return;
    }
    Read(row + 1);
    std::uint8_t* set = m_rows.Row(kSet);
    std::uint8_t* keep = m_rows.Row(kKeep);
    FilterRowRoutines().outlineMasks(Lightest(row - 1), Lightest(row), Lightest(row + 1), m_grays[row % 3], width, set,
                                     keep);
    ColourRowRoutines().maskPixels(pixels + kColourPixelBytes, width - 2, set + 1, keep + 1);
  }

 private:
  std::uint8_t* Lightest(std::int32_t row) const { return m_rows.Row(kLightest + row % 3); }

  const CPictureRows& m_picture;
  CWorkRows& m_rows;
  const std::uint8_t* m_grays[3] = {};  // rows' gray levels, where they lie or in work rows
};

// Rows are read one ahead of the row being rewritten, so every decision
// reads the picture as it was before the filter.
void RewriteInside(const CPictureRows& picture, CWorkRows& rows) {
  if (picture.Width() < 3 || picture.Height() < 3) return;  // no pixel has eight neighbours
  COutlineRows outline(picture, rows);
  outline.Read(0);
  outline.Read(1);
  for (std::int32_t row = 1; row + 1 < picture.Height(); ++row) outline.ReadBelowAndRewrite(row);
}

}  // namespace

CResult Outline(CBmpImage& image) noexcept {
  const CPictureRows picture(image);
  if (picture.IsEmpty()) return {};
  CWorkRows rows(picture.Width(), kOutlineRows);
  if (!rows.IsHeld()) return {Reason::kOutOfMemory, 0};
  RewriteInside(picture, rows);
  return {};
}

}  // namespace tamrovi
