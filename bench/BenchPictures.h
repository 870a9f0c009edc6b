// Pictures the benchmarks run on, generated in memory and written once to a
// temporary folder.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace bench {

enum class PictureKind { kColour24, kGray8 };

struct PictureSize {
  std::int32_t width;
  std::int32_t height;
};

inline constexpr PictureSize kLarge{1600, 1600};
inline constexpr PictureSize kSmall{640, 480};

// Path of a BMP file of the given size and kind with structured content
// (gradients, dark shapes, lines and noise); made on first use.
const std::string& PicturePath(PictureKind kind, PictureSize size);

// Bytes of pixel data in such a picture: what a memcpy of it moves.
std::int64_t PictureBytes(PictureKind kind, PictureSize size);

}  // namespace bench
