// Run-length coded pictures (RLE8 and RLE4).
//
// The data is a sequence of two-byte codes read from the bottom row up:
// - count > 0, value: `count` pixels; RLE8 repeats the index `value`, RLE4
//   alternates its high and low nibbles;
// - 0, 0: end of line (next row, column 0);
// - 0, 1: end of bitmap;
// - 0, 2, dx, dy: move right dx columns and up dy rows;
// - 0, n >= 3: n indices stored as they are (bytes, or nibbles high first),
//   padded to an even number of bytes.
#pragma once

#include <cstdint>

#include "image/PalettedDecode.h"

namespace tamrovi::bmp {

// Decodes the `size` bytes at `data` (4 or 8 bits an index, by `bitCount`)
// into `rows`, the `height` colour rows of a `width`-pixel picture, row 0 at
// the top, 3 bytes (blue, green, red) a pixel. Pixels the data never sets keep
// what the rows held. Decoding stops at the end of the data, at end of bitmap,
// or at the first pixel or move that would fall outside the picture, keeping
// every pixel written until then. Pixels coded for a stored row's padding
// (the columns between `width` and the row's 4-byte boundary) are dropped. Each code costs a bounded amount of work
// apart from the pixels it writes, so the time taken is proportional to the
// data plus the picture. Returns how many rows the data ended before: 0 when
// it reached end of bitmap, its last row, or a code outside the picture;
// otherwise the rows from the one it was writing up to the top.
std::int32_t DecodeRle(const std::uint8_t* data, std::int64_t size, int bitCount, std::int32_t width, std::int32_t height,
               const IndexColours& colours, std::uint8_t* const* rows) noexcept;

}  // namespace tamrovi::bmp
