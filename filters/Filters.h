// The seven filter codes' operations. Each rewrites a loaded picture in place,
// in whichever layout holds it, and returns 1 in every case; an empty picture
// is left as it is. The three that look at neighbours need work rows and can
// run out of memory: Outline, Roberts and Laplace are their forms that say so
// (kOutOfMemory, the picture left as it was), the filter table's.
//
// Every filter reaches the pixels through CPictureRows and treats a picture the
// same way whether it is held in colour rows or as gray bytes: any file gives
// the result the picture it shows gives stored as a 24-bit file.
#pragma once

#include "image/BmpImage.h"
#include "image/Result.h"

namespace tamrovi {

// Marks every pixel of gray 200 or less as dark and rewrites the inside of the
// picture: light pixels become black, dark pixels whose eight neighbours are
// all dark become white, dark pixels on the edge of a dark region keep their
// value. Decisions read only the marks of the picture as it was, so the order
// of the visits does not matter. The outermost rows and columns never change.
// Needs work rows of a few bytes a column (CWorkRows); without them the
// picture is left as it is.
CResult Outline(CBmpImage& image) noexcept;
inline int OutlineFilter(CBmpImage& image) noexcept {
  Outline(image);
  return 1;
}

// Roberts-cross edges, black on white: with a = g(r, k) - g(r+1, k+1) and
// b = g(r, k+1) - g(r+1, k), true signed differences of gray levels, pixel
// (r, k) becomes black when a*a + b*b >= 2500 (a gradient magnitude of 50 or
// more) and white otherwise. The last row and the last column are white.
// Needs work rows of a few bytes a column (CWorkRows); without them the
// picture is left as it is.
CResult Roberts(CBmpImage& image) noexcept;
inline int RobertsFilter(CBmpImage& image) noexcept {
  Roberts(image);
  return 1;
}

// The sign of the four-neighbour Laplacian, in two levels: an inside pixel
// becomes white when up + down + left + right - 4 * centre > 0, black
// otherwise; the outermost rows and columns are black. In colour rows the
// neighbours count with their gray level and the centre as
// (4 * (blue + green + red)) / 3, each truncated on its own. Needs work rows
// of a few bytes a column (CWorkRows); without them the picture is left as it
// is.
CResult Laplace(CBmpImage& image) noexcept;
inline int LaplaceFilter(CBmpImage& image) noexcept {
  Laplace(image);
  return 1;
}

// Whitens every pixel whose gray level is below 16. Filter codes 4 and 6.
int WhitenDarkFilter(CBmpImage& image) noexcept;

// Turns the picture upside down by exchanging the contents of mirrored rows;
// every row buffer stays where it is, so the row tables do not change.
int FlipVertical(CBmpImage& image) noexcept;

// Whitens everything outside a fixed window: columns m_width / 4 to
// (2 * m_width) / 3 and rows m_height / 3 to (2 * m_height) / 3, all bounds
// inclusive, rows counted from the top of the picture.
int CentreWindowFilter(CBmpImage& image) noexcept;

}  // namespace tamrovi
