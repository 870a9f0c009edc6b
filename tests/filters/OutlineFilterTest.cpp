// The outline of dark regions.
#include <gtest/gtest.h>

#include "filters/Filters.h"
#include "filters/GrayPicture.h"
#include "support/ImageFixture.h"

namespace {

using bmptest::Bytes;
using bmptest::Layout;

struct OutlineCase {
  const char* name;
  std::int32_t width;
  std::int32_t height;
  Bytes input;     // gray levels, rows from the top
  Bytes expected;
};

const OutlineCase kGrayCases[] = {
    {"uniform dark (200): the inside turns white", 4, 4, Bytes(16, 200),
     {200, 200, 200, 200, 200, 255, 255, 200, 200, 255, 255, 200, 200, 200, 200, 200}},
    {"uniform light (201): the inside turns black", 4, 3, Bytes(12, 201),
     {201, 201, 201, 201, 201, 0, 0, 201, 201, 201, 201, 201}},
    {"3 x 3: only the centre can change", 3, 3, {0, 255, 0, 255, 255, 255, 0, 255, 0},
     {0, 255, 0, 255, 0, 255, 0, 255, 0}},
    {"an isolated dark pixel keeps its value", 3, 3, {255, 255, 255, 255, 10, 255, 255, 255, 255},
     {255, 255, 255, 255, 10, 255, 255, 255, 255}},
    {"a single light diagonal neighbour keeps the pixel", 3, 3, {50, 50, 50, 50, 50, 50, 50, 50, 250},
     {50, 50, 50, 50, 50, 50, 50, 50, 250}},
    {"a single light side neighbour keeps the pixel", 3, 3, {50, 201, 50, 50, 50, 50, 50, 50, 50},
     {50, 201, 50, 50, 50, 50, 50, 50, 50}},
    {"two rows: nothing changes", 5, 2, {0, 255, 9, 201, 7, 1, 2, 3, 4, 5}, {0, 255, 9, 201, 7, 1, 2, 3, 4, 5}},
    {"two columns: nothing changes", 2, 4, {0, 255, 201, 7, 1, 2, 3, 4}, {0, 255, 201, 7, 1, 2, 3, 4}},
    {"one pixel: nothing changes", 1, 1, {255}, {255}},
};

class OutlineFilterTest : public ::testing::Test {
 protected:
  bmptest::TempDir dir;
};

TEST_F(OutlineFilterTest, GrayPicturesInBothLayouts) {
  for (Layout layout : bmptest::kBothLayouts) {
    for (const OutlineCase& c : kGrayCases) {
      SCOPED_TRACE(bmptest::LayoutName(layout) + ": " + c.name);
      EXPECT_EQ(FilteredLevels(dir, layout, tamrovi::OutlineFilter, c.width, c.height, c.input), c.expected);
    }
  }
}

TEST_F(OutlineFilterTest, OutermostRowsAndColumnsNeverChange) {
  constexpr std::int32_t kWidth = 9, kHeight = 7;
  const Bytes input = bmptest::RandomBytes(kWidth * kHeight, 11);
  for (Layout layout : bmptest::kBothLayouts) {
    SCOPED_TRACE(bmptest::LayoutName(layout));
    const Bytes output = FilteredLevels(dir, layout, tamrovi::OutlineFilter, kWidth, kHeight, input);
    for (std::int32_t row = 0; row < kHeight; ++row) {
      for (std::int32_t column = 0; column < kWidth; ++column) {
        if (row != 0 && row != kHeight - 1 && column != 0 && column != kWidth - 1) continue;
        EXPECT_EQ(output[row * kWidth + column], input[row * kWidth + column]) << row << "," << column;
      }
    }
  }
}

// The gray of a colour pixel is truncated: a channel sum of 602 is 200 (dark),
// 603 is 201 (light).
TEST_F(OutlineFilterTest, ColourPixelsAreMarkedByTruncatedGray) {
  struct Case {
    std::uint8_t blue, green, red;
    std::uint8_t centre;  // what the centre of a uniform 3 x 3 picture becomes
  };
  const Case cases[] = {{200, 201, 201, 255}, {201, 201, 201, 0}, {0, 0, 255, 255}, {255, 255, 92, 255},
                        {255, 255, 93, 0}};
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << int(c.blue) << "," << int(c.green) << "," << int(c.red));
    Bytes bgr;
    for (int pixel = 0; pixel < 9; ++pixel) bgr.insert(bgr.end(), {c.blue, c.green, c.red});
    tamrovi::CBmpImage image;
    ASSERT_EQ(bmptest::LoadBytes(image, dir, bmptest::Make24(3, 3, bgr).Build()), 1);
    tamrovi::OutlineFilter(image);
    Bytes expected = bgr;
    expected[12] = expected[13] = expected[14] = c.centre;
    EXPECT_EQ(bmptest::PictureBgr(image), expected);
  }
}

// Dark pixels on the edge of a region keep their colour, so a colour picture
// does not come out purely black and white.
TEST_F(OutlineFilterTest, EdgeOfAColourRegionKeepsItsColour) {
  const Bytes dark = {140, 30, 10}, light = {250, 240, 230};
  Bytes bgr;
  for (int row = 0; row < 3; ++row) {
    for (int column = 0; column < 4; ++column) {
      const Bytes& pixel = column < 2 ? dark : light;
      bgr.insert(bgr.end(), pixel.begin(), pixel.end());
    }
  }
  tamrovi::CBmpImage image;
  ASSERT_EQ(bmptest::LoadBytes(image, dir, bmptest::Make24(4, 3, bgr).Build()), 1);
  tamrovi::OutlineFilter(image);
  Bytes expected = bgr;
  const std::size_t lightInside = 3 * (4 + 2);  // (1, 2); (1, 1) is dark beside the light column and keeps its colour
  expected[lightInside] = expected[lightInside + 1] = expected[lightInside + 2] = 0;
  EXPECT_EQ(bmptest::PictureBgr(image), expected);
}

}  // namespace
