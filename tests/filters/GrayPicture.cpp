#include "filters/GrayPicture.h"

#include <gtest/gtest.h>

#include "support/ImageFixture.h"

namespace bmptest {

std::string Storage::Name() const {
  return std::string(colourRows ? "24-bit" : "8-bit") + (topDown ? " top-down" : " bottom-up");
}

BmpFile GrayFile(Storage storage, std::int32_t width, std::int32_t height, const Bytes& gray) {
  return storage.colourRows ? Make24(width, height, GrayToBgr(gray), storage.topDown)
                            : Make8(width, height, gray, storage.topDown);
}

Bytes FilterGray(const TempDir& dir, Storage storage, tamrovi::FilterOperation filter, std::int32_t width,
                 std::int32_t height, const Bytes& gray) {
  tamrovi::CBmpImage image;
  EXPECT_EQ(LoadBytes(image, dir, GrayFile(storage, width, height, gray).Build()), 1);
  filter(image);
  const Bytes bgr = PictureBgr(image);
  Bytes levels;
  for (std::size_t pixel = 0; pixel < bgr.size(); pixel += 3) {
    EXPECT_TRUE(bgr[pixel] == bgr[pixel + 1] && bgr[pixel] == bgr[pixel + 2]) << "pixel " << pixel / 3 << " is not gray";
    levels.push_back(bgr[pixel]);
  }
  return levels;
}

Bytes Drawn(const std::vector<std::string>& rows, std::uint8_t dark, std::uint8_t light) {
  Bytes levels;
  for (const std::string& row : rows) {
    for (char c : row) levels.push_back(c == '#' ? dark : light);
  }
  return levels;
}

}  // namespace bmptest
