#include "lib/PictureBytes.h"

#include "image/BmpWriter.h"

namespace tamrovi::lib {
namespace {

// The caller's pixels as the writer asks for them.
struct CCallerPixels {
  const std::uint8_t* pixels;
  std::size_t stride;
  int channels;
};

void CallerColours(const void* source, std::int32_t row, std::int32_t first, std::int32_t count,
                   std::uint8_t* bgr) noexcept {
  const auto& caller = *static_cast<const CCallerPixels*>(source);
  const std::uint8_t* in = caller.pixels + static_cast<std::size_t>(row) * caller.stride +
                           static_cast<std::size_t>(first) * static_cast<std::size_t>(caller.channels);
  for (std::int32_t k = 0; k < count; ++k, in += caller.channels, bgr += 3) {
    // A gray level is its own blue, green and red, and Gray3 gives it back.
    bgr[0] = in[caller.channels - 1];
    bgr[1] = in[caller.channels / 2];
    bgr[2] = in[0];
  }
}

}  // namespace

CResult EncodePixels(std::int32_t width, std::int32_t height, int channels, const std::uint8_t* pixels,
                     std::size_t stride, CMemoryOutput& file) noexcept {
  // The reader takes files below 2 GiB, whose size their header can state.
  const std::int64_t length = bmp::kHeadersSize + (channels == 1 ? 4 * 256 : 0) +
                              bmp::RowStride(width, 8 * channels) * height;
  if (length > INT32_MAX) return {Reason::kFileTooLarge, 0};
  const CCallerPixels caller{pixels, stride, channels};
  const CPixelSource source{width, height, CallerColours, &caller};
  const CResult written = channels == 1 ? WriteGray8(source, SinkOf(file)) : WriteBmp24(source, SinkOf(file));
  return written.Ok() ? written : CResult{Reason::kOutOfMemory, 0};
}

}  // namespace tamrovi::lib
