#include "filters/GrayPicture.h"

#include <gtest/gtest.h>

#include "support/ImageFixture.h"

namespace bmptest {

std::string LayoutName(Layout layout) { return layout == Layout::kColourRows ? "24-bit" : "8-bit"; }

BmpFile GrayFile(Layout layout, std::int32_t width, std::int32_t height, const Bytes& gray, bool topDown) {
  return layout == Layout::kColourRows ? Make24(width, height, GrayToBgr(gray), topDown)
                                       : Make8(width, height, gray, topDown);
}

void LoadGray(tamrovi::CBmpImage& image, const TempDir& dir, Layout layout, std::int32_t width,
              std::int32_t height, const Bytes& gray, bool topDown) {
  ASSERT_EQ(LoadBytes(image, dir, GrayFile(layout, width, height, gray, topDown).Build()), 1);
}

Bytes GrayLevels(const tamrovi::CBmpImage& image) {
  if (!image.m_is24Bit) return BytePlane(image);
  const Bytes bgr = PictureBgr(image);
  Bytes levels;
  for (std::size_t pixel = 0; pixel < bgr.size(); pixel += 3) {
    EXPECT_TRUE(bgr[pixel] == bgr[pixel + 1] && bgr[pixel] == bgr[pixel + 2]) << "pixel " << pixel / 3 << " is not gray";
    levels.push_back(bgr[pixel]);
  }
  return levels;
}

Bytes FilteredLevels(const TempDir& dir, Layout layout, tamrovi::FilterOperation filter, std::int32_t width,
                     std::int32_t height, const Bytes& gray, bool topDown) {
  tamrovi::CBmpImage image;
  LoadGray(image, dir, layout, width, height, gray, topDown);
  EXPECT_EQ(filter(image), 1);
  return GrayLevels(image);
}

Bytes DrawnLevels(const std::vector<std::string>& rows, std::uint8_t dark, std::uint8_t light) {
  Bytes levels;
  for (const std::string& row : rows) {
    for (char c : row) levels.push_back(c == '#' ? dark : light);
  }
  return levels;
}

}  // namespace bmptest
