// The seven filter codes' operations; their rules are in docs/filters.md.
// Each rewrites a loaded picture in place and returns 1 in every case; an
// empty picture is left as it is.
//
// Every filter reaches the pixels through CPictureRows, which hands out the
// same gray levels for a picture whichever layout holds it: any file gives
// the result the picture it shows gives stored as a 24-bit file.
//
// Outline, Roberts and Laplace decide from the picture as it was and need
// work rows of a few bytes a column (CWorkRows); without them the picture is
// left as it is, and their CResult forms, the filter table's, say
// kOutOfMemory.
#pragma once

#include "image/BmpImage.h"
#include "platform/Result.h"

namespace tamrovi {

// Light pixels become black, dark pixels inside a dark region white, the rest
// keep their value; the outermost rows and columns never change.
CResult Outline(CBmpImage& image) noexcept;
inline int OutlineFilter(CBmpImage& image) noexcept { return Outline(image), 1; }

// Roberts-cross edges, black on white.
CResult Roberts(CBmpImage& image) noexcept;
inline int RobertsFilter(CBmpImage& image) noexcept { return Roberts(image), 1; }

// The sign of the four-neighbour Laplacian, white above 0, black otherwise.
CResult Laplace(CBmpImage& image) noexcept;
inline int LaplaceFilter(CBmpImage& image) noexcept { return Laplace(image), 1; }

// Whitens every pixel whose gray level is below 16. Filter codes 4 and 6.
int WhitenDarkFilter(CBmpImage& image) noexcept;

// Turns the picture upside down by exchanging the contents of mirrored rows;
// every row buffer stays where it is, so the row tables do not change.
int FlipVertical(CBmpImage& image) noexcept;

// Whitens everything outside a fixed window a little left of the centre.
int CentreWindowFilter(CBmpImage& image) noexcept;

}  // namespace tamrovi
