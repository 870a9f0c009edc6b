// Pictures the tool draws itself (the demo picture, the contact sheet) and
// their writing as BMP files.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace tamrovi::cli {

struct RgbPicture {
  RgbPicture(std::int32_t pictureWidth, std::int32_t pictureHeight, std::uint8_t fill = 255)
      : width(pictureWidth), height(pictureHeight), bgr(3 * static_cast<std::size_t>(width) * height, fill) {}

  // Pixel (x, y), y = 0 the top row: blue, green, red.
  std::uint8_t* Pixel(std::int32_t x, std::int32_t y) {
    return bgr.data() + 3 * (static_cast<std::size_t>(y) * width + x);
  }
  const std::uint8_t* Pixel(std::int32_t x, std::int32_t y) const {
    return bgr.data() + 3 * (static_cast<std::size_t>(y) * width + x);
  }

  std::int32_t width;
  std::int32_t height;
  std::vector<std::uint8_t> bgr;
};

// Writes `picture` as a bottom-up 24-bit BMP to `path` ("-": standard
// output), replacing a file there whole or not at all (COutputFile). Returns
// 0, or the system's error number when it could not be written.
int WritePicture24(const std::string& path, const RgbPicture& picture);

// Writes the gray level of every pixel as an 8-bit BMP with a gray palette
// (entry i is (i, i, i)), as WritePicture24 writes.
int WritePictureGray8(const std::string& path, const RgbPicture& picture);

}  // namespace tamrovi::cli
