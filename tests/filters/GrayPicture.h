// Gray pictures in either layout, for the filter suites: the same levels
// loaded as a 24-bit file (blue = green = red) or as an 8-bit file with a gray
// palette, and read back as one level a pixel.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "entry/FilterTable.h"
#include "image/BmpImage.h"
#include "support/BmpBuilder.h"
#include "support/TempDir.h"

namespace bmptest {

enum class Layout { kColourRows, kBytePlane };

inline constexpr Layout kBothLayouts[] = {Layout::kColourRows, Layout::kBytePlane};

std::string LayoutName(Layout layout);

// The file that stores `gray` (rows from the top) in `layout`.
BmpFile GrayFile(Layout layout, std::int32_t width, std::int32_t height, const Bytes& gray, bool topDown = false);

// Loads `gray` in `layout` into `image`; fails the test if it does not load.
void LoadGray(tamrovi::CBmpImage& image, const TempDir& dir, Layout layout, std::int32_t width,
              std::int32_t height, const Bytes& gray, bool topDown = false);

// The picture's levels, rows from the top: the byte plane, or the blue bytes
// of the colour rows after checking that every pixel is gray.
Bytes GrayLevels(const tamrovi::CBmpImage& image);

// Loads `gray` in `layout`, runs `filter` on it (which must return 1) and
// returns the levels it leaves.
Bytes FilteredLevels(const TempDir& dir, Layout layout, tamrovi::FilterOperation filter, std::int32_t width,
                     std::int32_t height, const Bytes& gray, bool topDown = false);

// A picture drawn as text, one string a row from the top: '#' is `dark`, any
// other character `light`.
Bytes DrawnLevels(const std::vector<std::string>& rows, std::uint8_t dark, std::uint8_t light);

}  // namespace bmptest
