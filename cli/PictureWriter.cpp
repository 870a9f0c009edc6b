#include "cli/PictureWriter.h"

#include "cli/Operands.h"
#include "image/BmpHeaders.h"
#include "image/Gray3.h"
#include "platform/OutputFile.h"

namespace tamrovi::cli {
namespace {

int WriteFile(const std::string& path, const std::vector<std::uint8_t>& bytes) {
  COutputFile out;
  const bool written = out.Open(WritablePath(path).c_str()) &&
                       out.Write(bytes.data(), static_cast<std::int64_t>(bytes.size())) && out.Commit();
  return written ? 0 : out.LastError();
}

std::vector<std::uint8_t> Headers(const RgbPicture& picture, int bitCount, std::int32_t nColors) {
  std::uint8_t headers[bmp::kHeadersSize];
  bmp::BuildHeaders(picture.width, picture.height, bitCount, nColors, headers);
  return std::vector<std::uint8_t>(headers, headers + bmp::kHeadersSize);
}

}  // namespace

int WritePicture24(const std::string& path, const RgbPicture& picture) {
  std::vector<std::uint8_t> bytes = Headers(picture, 24, 0);
  const std::size_t stride = static_cast<std::size_t>(bmp::RowStride(picture.width, 24));
  for (std::int32_t y = picture.height - 1; y >= 0; --y) {
    const std::uint8_t* row = picture.Pixel(0, y);
    bytes.insert(bytes.end(), row, row + 3 * static_cast<std::size_t>(picture.width));
    bytes.resize(bytes.size() + stride - 3 * static_cast<std::size_t>(picture.width), 0);
  }
  return WriteFile(path, bytes);
}

int WritePictureGray8(const std::string& path, const RgbPicture& picture) {
  std::vector<std::uint8_t> bytes = Headers(picture, 8, 256);
  for (int i = 0; i < 256; ++i) {
    const auto level = static_cast<std::uint8_t>(i);
    bytes.insert(bytes.end(), {level, level, level, 0});
  }
  const std::size_t stride = static_cast<std::size_t>(bmp::RowStride(picture.width, 8));
  for (std::int32_t y = picture.height - 1; y >= 0; --y) {
    for (std::int32_t x = 0; x < picture.width; ++x) {
      bytes.push_back(static_cast<std::uint8_t>(Gray3(picture.Pixel(x, y))));
    }
    bytes.resize(bytes.size() + stride - static_cast<std::size_t>(picture.width), 0);
  }
  return WriteFile(path, bytes);
}

}  // namespace tamrovi::cli
