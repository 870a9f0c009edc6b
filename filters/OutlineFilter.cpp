// The outline of dark regions (filter code 1).

#include "filters/FilterRows.h"
#include "filters/Filters.h"
#include "filters/PixelAccess.h"
#include "filters/WorkRows.h"
#include "image/ColourRows.h"

namespace tamrovi {
namespace {

// The lightest gray across each of three rows in turn (row r in slot r mod
// 3), the gray levels of colour rows in the same turn, and the masks a colour
// row is rewritten with.
enum OutlineRow { kLightest = 0, kGrays = 3, kSet = 6, kKeep = 7, kOutlineRows = 8 };

template <int kPixelBytes>
class COutlineRows {
 public:
  COutlineRows(CBmpImage& image, CWorkRows& rows) : m_image(image), m_rows(rows) {}

  // Takes what is needed of picture row `row` before the row is rewritten.
  void Read(std::int32_t row) {
    const std::uint8_t* gray = PictureRow<kPixelBytes>(m_image, row);
    if constexpr (kPixelBytes == kColourPixelBytes) {
      ColourRowRoutines().grayLevels(gray, m_image.m_width, Gray(row));
      gray = Gray(row);
    }
    FilterRowRoutines().lightestAcross(gray, m_image.m_width, Lightest(row));
  }

  // Reads row + 1, then rewrites `row`: light pixels become black, pixels
  // whose whole neighbourhood is dark white, the rest keep their value. Only
  // the inside columns; the outermost never change. The byte plane reads and
  // rewrites in one pass.
  void ReadBelowAndRewrite(std::int32_t row) {
    const std::int32_t width = m_image.m_width;
    std::uint8_t* pixels = PictureRow<kPixelBytes>(m_image, row);
    if constexpr (kPixelBytes == kColourPixelBytes) {
      Read(row + 1);
      std::uint8_t* set = m_rows.Row(kSet);
      std::uint8_t* keep = m_rows.Row(kKeep);
      FilterRowRoutines().outlineMasks(Lightest(row - 1), Lightest(row), Lightest(row + 1), Gray(row), width, set,
                                       keep);
      ColourRowRoutines().maskPixels(pixels + kPixelBytes, width - 2, set + 1, keep + 1);
    } else {
      FilterRowRoutines().outlineBytes(Lightest(row - 1), Lightest(row), PictureRow<kPixelBytes>(m_image, row + 1),
                                       width, Lightest(row + 1), pixels);
    }
  }

 private:
  std::uint8_t* Lightest(std::int32_t row) const { return m_rows.Row(kLightest + row % 3); }
  std::uint8_t* Gray(std::int32_t row) const { return m_rows.Row(kGrays + row % 3); }

  CBmpImage& m_image;
  CWorkRows& m_rows;
};

// Rows are read one ahead of the row being rewritten, so every decision
// reads the picture as it was before the filter.
template <int kPixelBytes>
void RewriteInside(CBmpImage& image, CWorkRows& rows) {
  if (image.m_width < 3 || image.m_height < 3) return;  // no pixel has eight neighbours
  COutlineRows<kPixelBytes> outline(image, rows);
  outline.Read(0);
  outline.Read(1);
  for (std::int32_t row = 1; row + 1 < image.m_height; ++row) outline.ReadBelowAndRewrite(row);
}

}  // namespace

int OutlineFilter(CBmpImage& image) noexcept {
  if (image.IsEmpty()) return 1;
  CWorkRows rows(image.m_width, kOutlineRows);
  if (!rows.IsHeld()) return 1;
  if (image.m_is24Bit) {
    RewriteInside<kColourPixelBytes>(image, rows);
  } else {
    RewriteInside<kBytePlanePixelBytes>(image, rows);
  }
  return 1;
}

}  // namespace tamrovi
