// How large a picture a load accepts.
//
// A load reads the headers first and refuses a picture beyond its limits
// before it allocates or reads the pixels, so what a file can make the
// library spend is bounded by the limits, not by the file's length.
#pragma once

#include <cstdint>

namespace tamrovi {

// Capacity of each of the image object's two row tables. The tables live in
// the object and the object on its caller's stack, so a picture of up to
// this many rows needs no table of its own; a taller one gets its table from
// the allocator, owned by the picture and released with it.
inline constexpr std::int32_t kMaxRows = 1600;

// The widest picture BMPFilters accepts. With kMaxRows it bounds what one
// file can make the export allocate (a 24-bit picture at the limit is
// 150 MiB of rows).
inline constexpr std::int32_t kMaxWidth = 32768;

// About a gigapixel: 3 GiB of colour rows, more than any camera or scanner
// gives, and little enough to hold on an ordinary machine.
inline constexpr std::int64_t kDefaultMaxPixels = std::int64_t{1} << 30;

// The most pixels a limit may allow: a picture's pixel counts (the gray
// histogram's, for one) are 32-bit. Files of 2 GiB at most hold fewer 24-bit
// pixels than this anyway.
inline constexpr std::int64_t kLargestMaxPixels = INT32_MAX;

// The rows, the columns and the pixels (rows times columns) a load accepts;
// a picture beyond any of them is refused from its headers.
struct CLoadLimits {
  std::int32_t maxRows;
  std::int32_t maxWidth;
  std::int64_t maxPixels;
};

// BMPFilters and LoadBmp(path): at most kMaxRows rows of kMaxWidth columns,
// as the export has always taken them; hosts rely on these bounds.
inline constexpr CLoadLimits kExportLimits{kMaxRows, kMaxWidth, std::int64_t{kMaxRows} * kMaxWidth};

// The tool and C++ callers: any width and height a header can state, up to
// kDefaultMaxPixels in all. A caller may raise or lower maxPixels.
inline constexpr CLoadLimits kWideLimits{INT32_MAX, INT32_MAX, kDefaultMaxPixels};

}  // namespace tamrovi
