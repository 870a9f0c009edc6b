#include "cli/PictureWriter.h"

#include <algorithm>
#include <cstring>

namespace tamrovi::cli {
namespace {

CPixelSource SourceOf(const RgbPicture& picture) {
  return {picture.width, picture.height,
          [](const void* pixels, std::int32_t row, std::int32_t first, std::int32_t count,
             std::uint8_t* bgr) noexcept {
            const auto& held = *static_cast<const RgbPicture*>(pixels);
            std::memcpy(bgr, held.Pixel(first, row), 3 * static_cast<std::size_t>(count));
          },
          &picture};
}

}  // namespace

void RgbPicture::Fill(std::int32_t left, std::int32_t top, std::int32_t boxWidth, std::int32_t boxHeight,
                      const std::uint8_t (&colour)[3]) {
  for (std::int32_t y = std::max(top, 0); y < std::min(top + boxHeight, height); ++y) {
    for (std::int32_t x = std::max(left, 0); x < std::min(left + boxWidth, width); ++x) {
      std::copy(colour, colour + 3, Pixel(x, y));
    }
  }
}

CResult WritePicture24(const std::string& output, const RgbPicture& picture) {
  return WriteOutput(output, [&](const CByteSink& out) { return WriteBmp24(SourceOf(picture), out); });
}

CResult WritePictureGray8(const std::string& output, const RgbPicture& picture) {
  return WriteOutput(output, [&](const CByteSink& out) { return WriteGray8(SourceOf(picture), out); });
}

}  // namespace tamrovi::cli
