// Roberts-cross edges, black on white.
#include <gtest/gtest.h>

#include "filters/Filters.h"
#include "filters/GrayPicture.h"
#include "support/ImageFixture.h"

namespace {

using bmptest::Bytes;
using bmptest::Layout;

class RobertsFilterTest : public ::testing::Test {
 protected:
  bmptest::TempDir dir;
};

// One 2 x 2 block decides its top-left pixel: a = g00 - g11, b = g01 - g10.
struct BlockCase {
  const char* name;
  std::uint8_t g00, g01, g10, g11;
  std::uint8_t expected;
};

const BlockCase kBlockCases[] = {
    {"uniform", 100, 100, 100, 100, 255},
    {"a = 1", 101, 100, 100, 100, 255},
    {"a = -1 is a difference of 1, not 255", 100, 100, 100, 101, 255},
    {"a = 49", 149, 100, 100, 100, 255},
    {"a = -49", 100, 100, 100, 149, 255},
    {"a = 50", 150, 100, 100, 100, 0},
    {"a = -50", 100, 100, 100, 150, 0},
    {"a = -210 is an edge", 0, 100, 100, 210, 0},
    {"a = -255", 0, 0, 0, 255, 0},
    {"a = 30, b = 40: magnitude exactly 50", 130, 140, 100, 100, 0},
    {"a = -30, b = -40", 100, 100, 140, 130, 0},
    {"a = 35, b = 35: squares sum to 2450", 135, 135, 100, 100, 255},
    {"b = -1 alone, the same in both layouts", 50, 10, 11, 50, 255},
    {"b = 50 alone", 50, 150, 100, 50, 0},
};

TEST_F(RobertsFilterTest, BlockDecidesItsTopLeftPixel) {
  for (Layout layout : bmptest::kBothLayouts) {
    for (const BlockCase& c : kBlockCases) {
      SCOPED_TRACE(bmptest::LayoutName(layout) + ": " + c.name);
      const Bytes output = FilteredLevels(dir, layout, tamrovi::RobertsFilter, 2, 2, {c.g00, c.g01, c.g10, c.g11});
      EXPECT_EQ(output, (Bytes{c.expected, 255, 255, 255}));
    }
  }
}

TEST_F(RobertsFilterTest, ColourPixelsCountWithTruncatedGray) {
  struct Case {
    Bytes topLeft;  // blue, green, red; the other three pixels are (100, 100, 100)
    std::uint8_t expected;
  };
  const Case cases[] = {{{150, 150, 151}, 0}, {{150, 150, 149}, 255}, {{0, 0, 152}, 0}, {{0, 0, 153}, 255},
                        {{0, 255, 195}, 0}};
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << int(c.topLeft[0]) << "," << int(c.topLeft[1]) << "," << int(c.topLeft[2]));
    Bytes bgr = c.topLeft;
    bgr.resize(12, 100);
    tamrovi::CBmpImage image;
    ASSERT_EQ(bmptest::LoadBytes(image, dir, bmptest::Make24(2, 2, bgr).Build()), 1);
    tamrovi::RobertsFilter(image);
    EXPECT_EQ(bmptest::GrayLevels(image), (Bytes{c.expected, 255, 255, 255}));
  }
}

TEST_F(RobertsFilterTest, OneRowOrOneColumnComesOutWhite) {
  for (Layout layout : bmptest::kBothLayouts) {
    for (const auto& [width, height] : {std::pair{7, 1}, std::pair{1, 7}, std::pair{1, 1}}) {
      SCOPED_TRACE(testing::Message() << bmptest::LayoutName(layout) << " " << width << "x" << height);
      EXPECT_EQ(FilteredLevels(dir, layout, tamrovi::RobertsFilter, width, height, bmptest::RandomBytes(7, 3)),
                Bytes(static_cast<std::size_t>(width * height), 255));
    }
  }
}

// A colour picture comes out in two grays, and the last row and column have
// no 2 x 2 block, so they are white.
TEST_F(RobertsFilterTest, ColourResultIsGrayWithWhiteLastRowAndColumn) {
  constexpr std::int32_t kWidth = 9, kHeight = 6;
  tamrovi::CBmpImage image;
  ASSERT_EQ(bmptest::LoadBytes(image, dir, bmptest::Make24(kWidth, kHeight, bmptest::RandomBytes(3 * 54, 5)).Build()),
            1);
  tamrovi::RobertsFilter(image);
  const Bytes levels = bmptest::GrayLevels(image);
  int black = 0;
  for (std::int32_t row = 0; row < kHeight; ++row) {
    for (std::int32_t column = 0; column < kWidth; ++column) {
      const std::uint8_t level = levels[row * kWidth + column];
      EXPECT_TRUE(level == 0 || level == 255);
      if (row == kHeight - 1 || column == kWidth - 1) {
        EXPECT_EQ(level, 255) << row << "," << column;
      }
      black += level == 0;
    }
  }
  EXPECT_GT(black, 0);
}

// The edges of a dark square come out around the square, in whichever
// layout and storage order the picture is held, at a width that is not a
// multiple of 4.
TEST_F(RobertsFilterTest, EdgesOfADarkSquareStayWhereTheSquareIs) {
  const Bytes square = bmptest::DrawnLevels({"......", ".##...", ".##...", "......", "......", "......"}, 0, 255);
  const Bytes edges = bmptest::DrawnLevels({"###...", "#.#...", "###...", "......", "......", "......"}, 0, 255);
  for (Layout layout : bmptest::kBothLayouts) {
    for (bool topDown : {false, true}) {
      SCOPED_TRACE(bmptest::LayoutName(layout) + (topDown ? " top-down" : " bottom-up"));
      EXPECT_EQ(FilteredLevels(dir, layout, tamrovi::RobertsFilter, 6, 6, square, topDown), edges);
    }
  }
}

}  // namespace
