// The outline of dark regions (filter code 1).

#include "filters/FilterRows.h"
#include "filters/Filters.h"
#include "filters/WorkRows.h"

namespace tamrovi {
namespace {

// The lightest gray across each of three rows in turn (row r in slot r mod
// 3), the gray levels of the rows in the same turn, and where a row changes.
enum OutlineRow { kLightest = 0, kGrays = 3, kChanged = 6, kOutlineRows = 7 };

class COutlineRows {
 public:
  COutlineRows(const CPictureRows& picture, CWorkRows& rows) : m_picture(picture), m_rows(rows) {}

  // Takes what is needed of picture row `row` before the row is rewritten.
  void Read(std::int32_t row) {
    ReadGrays(row);
    FilterRowRoutines().lightestAcross(m_grays[row % 3], m_picture.Width(), Lightest(row));
  }

  // Reads row + 1, then rewrites the inside columns of `row`; the outermost
  // never change. The row's levels are needed no more, so they are rewritten
  // where they lie: gray bytes in the picture itself.
  void ReadBelowAndRewrite(std::int32_t row) {
    const std::int32_t width = m_picture.Width();
    ReadGrays(row + 1);
    std::uint8_t* levels = m_grays[row % 3];
    std::uint8_t* changed = m_rows.Row(kChanged);
    FilterRowRoutines().outline(Lightest(row - 1), Lightest(row), m_grays[(row + 1) % 3], width, Lightest(row + 1),
                                levels, changed);
    m_picture.PaintLevelsWhere(row, 1, width - 2, levels + 1, changed + 1);
  }

 private:
  void ReadGrays(std::int32_t row) { m_grays[row % 3] = m_picture.GrayLevels(row, m_rows.Row(kGrays + row % 3)); }
  std::uint8_t* Lightest(std::int32_t row) const { return m_rows.Row(kLightest + row % 3); }

  const CPictureRows& m_picture;
  CWorkRows& m_rows;
  std::uint8_t* m_grays[3] = {};  // rows' gray levels, where they lie or in work rows
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

CResult Outline(CBmpImage& image) noexcept { return WithWorkRows(image, kOutlineRows, RewriteInside); }

}  // namespace tamrovi
