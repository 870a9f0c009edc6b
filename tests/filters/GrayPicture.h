// Pictures for the filter suite: the same gray levels loaded as a 24-bit file
// (blue = green = red) or as an 8-bit file with a gray palette, in either row
// order, and read back as one level a pixel.
#pragma once

#include <string>
#include <vector>

#include "entry/FilterTable.h"
#include "support/BmpBuilder.h"
#include "support/TempDir.h"

namespace bmptest {

struct Storage {
  bool colourRows;  // a 24-bit file; else 8-bit with a gray palette
  bool topDown;
  std::string Name() const;
};

inline constexpr Storage kStorages[] = {{true, false}, {true, true}, {false, false}, {false, true}};

BmpFile GrayFile(Storage storage, std::int32_t width, std::int32_t height, const Bytes& gray);

// Loads `gray` (rows from the top) in `storage`, runs `filter`, and returns
// the picture's levels, rows from the top. Colour rows must come out gray.
Bytes FilterGray(const TempDir& dir, Storage storage, tamrovi::FilterOperation filter, std::int32_t width,
                 std::int32_t height, const Bytes& gray);

// A picture drawn as text, one string a row from the top: '#' is `dark`, any
// other character `light`.
Bytes Drawn(const std::vector<std::string>& rows, std::uint8_t dark, std::uint8_t light);

}  // namespace bmptest
