// The sign of the four-neighbour Laplacian, in two levels.
#include <gtest/gtest.h>

#include "filters/Filters.h"
#include "filters/GrayPicture.h"
#include "support/ImageFixture.h"

namespace {

using bmptest::Bytes;
using bmptest::Layout;

class LaplaceFilterTest : public ::testing::Test {
 protected:
  bmptest::TempDir dir;
};

// A 3 x 3 picture: only its centre has four neighbours.
struct CentreCase {
  const char* name;
  Bytes input;
  std::uint8_t centre;
};

const CentreCase kCentreCases[] = {
    {"centre below its neighbours", {100, 100, 100, 100, 99, 100, 100, 100, 100}, 255},
    {"centre equal to its neighbours", {100, 100, 100, 100, 100, 100, 100, 100, 100}, 0},
    {"centre above its neighbours", {100, 100, 100, 100, 101, 100, 100, 100, 100}, 0},
    {"sum 510 against 4 x 127", {9, 0, 9, 255, 127, 255, 9, 0, 9}, 255},
    {"sum 510 against 4 x 128", {9, 0, 9, 255, 128, 255, 9, 0, 9}, 0},
    {"dark centre, white neighbours", {0, 255, 0, 255, 0, 255, 0, 255, 0}, 255},
};

TEST_F(LaplaceFilterTest, CentreTakesTheSignOfTheLaplacian) {
  for (Layout layout : bmptest::kBothLayouts) {
    for (const CentreCase& c : kCentreCases) {
      SCOPED_TRACE(bmptest::LayoutName(layout) + ": " + c.name);
      Bytes expected(9, 0);
      expected[4] = c.centre;
      EXPECT_EQ(FilteredLevels(dir, layout, tamrovi::LaplaceFilter, 3, 3, c.input), expected);
    }
  }
}

// Every value of a uniform picture is 0, in colour rows as in the byte plane,
// whatever the gray.
TEST_F(LaplaceFilterTest, UniformPictureComesOutBlack) {
  for (Layout layout : bmptest::kBothLayouts) {
    for (std::uint8_t gray : {0, 63, 64, 100, 127, 128, 192, 255}) {
      SCOPED_TRACE(bmptest::LayoutName(layout) + " gray " + std::to_string(gray));
      EXPECT_EQ(FilteredLevels(dir, layout, tamrovi::LaplaceFilter, 5, 4, Bytes(20, gray)), Bytes(20, 0));
    }
  }
}

TEST_F(LaplaceFilterTest, TwoRowsOrTwoColumnsComeOutBlack) {
  for (Layout layout : bmptest::kBothLayouts) {
    for (const auto& [width, height] : {std::pair{6, 2}, std::pair{2, 6}, std::pair{6, 1}, std::pair{1, 1}}) {
      SCOPED_TRACE(testing::Message() << bmptest::LayoutName(layout) << " " << width << "x" << height);
      EXPECT_EQ(FilteredLevels(dir, layout, tamrovi::LaplaceFilter, width, height, bmptest::RandomBytes(12, 8)),
                Bytes(static_cast<std::size_t>(width * height), 0));
    }
  }
}

// In colour rows the neighbours count with their truncated gray and the centre
// as (4 * (blue + green + red)) / 3, truncated on its own.
TEST_F(LaplaceFilterTest, ColourCentreTermIsTruncatedOnItsOwn) {
  struct Case {
    Bytes neighbour;  // every pixel but the centre
    Bytes centre;
    std::uint8_t expected;
  };
  const Case cases[] = {
      {{2, 0, 0}, {2, 0, 0}, 0},  // grays 0, centre term 2: -2
      {{1, 1, 2}, {1, 1, 2}, 0},  // grays 1, centre term 5: -1
      {{2, 2, 2}, {1, 2, 2}, 255},  // 8 - 6
      {{3, 3, 3}, {3, 3, 2}, 255},  // 12 - 10
      {{0, 0, 90}, {30, 30, 30}, 0},  // grays 30, centre term 120: 0
  };
  for (const Case& c : cases) {
    Bytes bgr;
    for (int pixel = 0; pixel < 9; ++pixel) {
      const Bytes& colour = pixel == 4 ? c.centre : c.neighbour;
      bgr.insert(bgr.end(), colour.begin(), colour.end());
    }
    tamrovi::CBmpImage image;
    ASSERT_EQ(bmptest::LoadBytes(image, dir, bmptest::Make24(3, 3, bgr).Build()), 1);
    tamrovi::LaplaceFilter(image);
    Bytes expected(9, 0);
    expected[4] = c.expected;
    EXPECT_EQ(bmptest::GrayLevels(image), expected)
        << "centre " << int(c.centre[0]) << "," << int(c.centre[1]) << "," << int(c.centre[2]);
  }
}

TEST_F(LaplaceFilterTest, ColourResultIsGrayWithBlackBorder) {
  constexpr std::int32_t kWidth = 9, kHeight = 7;
  tamrovi::CBmpImage image;
  ASSERT_EQ(bmptest::LoadBytes(image, dir, bmptest::Make24(kWidth, kHeight, bmptest::RandomBytes(3 * 63, 9)).Build()),
            1);
  tamrovi::LaplaceFilter(image);
  const Bytes levels = bmptest::GrayLevels(image);
  int white = 0;
  for (std::int32_t row = 0; row < kHeight; ++row) {
    for (std::int32_t column = 0; column < kWidth; ++column) {
      const std::uint8_t level = levels[row * kWidth + column];
      EXPECT_TRUE(level == 0 || level == 255);
      if (row == 0 || row == kHeight - 1 || column == 0 || column == kWidth - 1) {
        EXPECT_EQ(level, 0) << row << "," << column;
      }
      white += level == 255;
    }
  }
  EXPECT_GT(white, 0);
}

// A dark square on white comes out as a white square on black, where the
// square is, in whichever layout and storage order the picture is held.
TEST_F(LaplaceFilterTest, DarkSquareStaysWhereItIs) {
  const std::vector<std::string> drawing = {"......", ".##...", ".##...", "......", "......", "......"};
  const Bytes square = bmptest::DrawnLevels(drawing, 0, 255);
  const Bytes expected = bmptest::DrawnLevels(drawing, 255, 0);
  for (Layout layout : bmptest::kBothLayouts) {
    for (bool topDown : {false, true}) {
      SCOPED_TRACE(bmptest::LayoutName(layout) + (topDown ? " top-down" : " bottom-up"));
      EXPECT_EQ(FilteredLevels(dir, layout, tamrovi::LaplaceFilter, 6, 6, square, topDown), expected);
    }
  }
}

}  // namespace
