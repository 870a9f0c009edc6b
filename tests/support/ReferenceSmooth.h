// The Gaussian smoothing written out plainly, the way its definition reads:
// the reference every faster form is checked against, byte for byte, in the
// tests, and timed against in the benchmarks.
#pragma once

#include <cstdint>
#include <vector>

namespace bmptest {

// Smooths `plane` (one byte a pixel, rows from the top, `width` bytes each)
// with a Gaussian of standard deviation `sigma`: a pass along the rows into
// doubles, then a pass down the columns, truncated back to bytes. Every
// offset is visited and tested against the edge, and the second pass walks
// the columns outermost.
std::vector<std::uint8_t> ReferenceSmooth(std::vector<std::uint8_t> plane, int width, int height, double sigma);

}  // namespace bmptest
