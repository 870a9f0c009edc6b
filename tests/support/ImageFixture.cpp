#include "support/ImageFixture.h"

#include "entry/FilterTable.h"

namespace bmptest {

int LoadBytes(tamrovi::CBmpImage& image, const TempDir& dir, const Bytes& bytes, const std::string& name) {
  WriteFile(dir.File(name), bytes);
  return image.LoadBmp(dir.File(name).c_str());
}

Bytes PictureBgr(const tamrovi::CBmpImage& image) {
  Bytes bgr;
  for (std::int32_t row = 0; row < image.m_height; ++row) {
    for (std::int32_t column = 0; column < image.m_width; ++column) {
      if (image.m_is24Bit) {
        const std::uint8_t* pixel = image.m_rgbRows[row] + 3 * column;
        bgr.insert(bgr.end(), pixel, pixel + 3);
        continue;
      }
      const std::uint8_t index = image.BytePlaneRow(row)[column];
      if (index < image.m_nColors) {
        const auto& entry = image.m_pColors[index];
        bgr.insert(bgr.end(), {entry.blue, entry.green, entry.red});
      } else {
        bgr.insert(bgr.end(), {index, index, index});
      }
    }
  }
  return bgr;
}

Bytes BytePlane(const tamrovi::CBmpImage& image) {
  Bytes plane;
  for (std::int32_t row = 0; row < image.m_height; ++row) {
    const std::uint8_t* stored = image.BytePlaneRow(row);
    plane.insert(plane.end(), stored, stored + image.m_width);
  }
  return plane;
}

Bytes FilterThroughCore(const TempDir& dir, const Bytes& input, std::int32_t code) {
  tamrovi::CBmpImage image;
  LoadBytes(image, dir, input, "core-input.bmp");
  tamrovi::ApplyFilterCode(image, code);
  const std::string output = dir.File("core-output.bmp");
  image.SaveBmp24(output.c_str());
  return ReadFile(output);
}

}  // namespace bmptest
