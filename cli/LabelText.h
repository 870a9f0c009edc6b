// Short labels drawn into a picture in a built-in 5 x 7 pixel font, with two
// rows more below for the letters that descend, so the pictures the tool
// draws name their own parts.
#pragma once

#include <cstdint>
#include <string_view>

#include "cli/PictureWriter.h"

namespace tamrovi::cli {

// The font's glyphs: lower-case letters, digits and '-'; anything else is
// drawn as a space.
inline constexpr std::int32_t kGlyphWidth = 5;
inline constexpr std::int32_t kGlyphHeight = 9;  // descenders included
inline constexpr std::int32_t kGlyphAdvance = kGlyphWidth + 1;

// Width in pixels of `text` drawn at `scale` (each font pixel a scale x scale square).
std::int32_t LabelWidth(std::string_view text, std::int32_t scale);

// Draws `text` with its top-left corner at (left, top) in colour `bgr`.
// Pixels outside the picture are left out.
void DrawLabel(RgbPicture& picture, std::int32_t left, std::int32_t top, std::string_view text, std::int32_t scale,
               const std::uint8_t (&bgr)[3]);

}  // namespace tamrovi::cli
