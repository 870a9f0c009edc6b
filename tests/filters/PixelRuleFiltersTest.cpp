// Whitening of dark pixels, the vertical flip and the centre window.
#include <gtest/gtest.h>

#include "filters/Filters.h"
#include "filters/GrayPicture.h"
#include "support/ImageFixture.h"

namespace {

using bmptest::Bytes;
using bmptest::Layout;

class PixelRuleFiltersTest : public ::testing::Test {
 protected:
  bmptest::TempDir dir;
};

TEST_F(PixelRuleFiltersTest, WhitenDarkColourPixelsByTruncatedGray) {
  // Each pixel a case: blue, green, red and what it becomes.
  const Bytes input = {15, 15, 15, 16, 16, 16, 47, 0, 0, 48, 0, 0, 100, 100, 60, 0, 0, 0, 0, 0, 47, 0, 48, 0};
  const Bytes expected = {255, 255, 255, 16, 16, 16, 255, 255, 255, 48, 0, 0, 100, 100, 60, 255, 255, 255,
                          255, 255, 255, 0, 48, 0};
  tamrovi::CBmpImage image;
  ASSERT_EQ(bmptest::LoadBytes(image, dir, bmptest::Make24(8, 1, input).Build()), 1);
  EXPECT_EQ(tamrovi::WhitenDarkFilter(image), 1);
  EXPECT_EQ(bmptest::PictureBgr(image), expected);
}

// The stored byte is compared, whatever colour the palette gives it.
TEST_F(PixelRuleFiltersTest, WhitenDarkBytesByTheirValue) {
  const Bytes reversedGrays = [] {
    Bytes table;
    for (int i = 255; i >= 0; --i) table.insert(table.end(), {std::uint8_t(i), std::uint8_t(i), std::uint8_t(i), 0});
    return table;
  }();
  for (const Bytes& palette : {bmptest::GrayColourTable(), reversedGrays}) {
    tamrovi::CBmpImage image;
    ASSERT_EQ(bmptest::LoadBytes(image, dir, bmptest::Make8(5, 1, {15, 16, 0, 255, 200}, false, palette).Build()), 1);
    EXPECT_EQ(tamrovi::WhitenDarkFilter(image), 1);
    EXPECT_EQ(bmptest::BytePlane(image), (Bytes{255, 16, 255, 255, 200}));
  }
}

TEST_F(PixelRuleFiltersTest, FlipExchangesMirroredRows) {
  struct Case {
    std::int32_t height;
    Bytes input;  // one pixel a row, from the top
    Bytes expected;
  };
  const Case cases[] = {
      {1, {7}, {7}}, {2, {1, 2}, {2, 1}}, {5, {1, 2, 3, 4, 5}, {5, 4, 3, 2, 1}}, {6, {1, 2, 3, 4, 5, 6}, {6, 5, 4, 3, 2, 1}}};
  for (Layout layout : bmptest::kBothLayouts) {
    for (const Case& c : cases) {
      SCOPED_TRACE(bmptest::LayoutName(layout) + " height " + std::to_string(c.height));
      EXPECT_EQ(FilteredLevels(dir, layout, tamrovi::FlipVertical, 1, c.height, c.input), c.expected);
    }
  }
}

TEST_F(PixelRuleFiltersTest, FlipTwiceGivesThePictureBackInTheSameRowBuffers) {
  for (Layout layout : bmptest::kBothLayouts) {
    for (bool topDown : {false, true}) {
      SCOPED_TRACE(bmptest::LayoutName(layout) + (topDown ? " top-down" : " bottom-up"));
      const Bytes input = bmptest::RandomBytes(7 * 5, 21);
      tamrovi::CBmpImage image;
      bmptest::LoadGray(image, dir, layout, 7, 5, input, topDown);
      std::uint8_t* const rowsBefore[] = {image.m_rgbRows[0], image.m_rgbRows[4], image.m_grayRows[0]};
      std::uint8_t* const planeBefore = image.m_pBits;

      tamrovi::FlipVertical(image);
      const Bytes flipped = bmptest::GrayLevels(image);
      EXPECT_TRUE(std::equal(flipped.begin(), flipped.begin() + 7, input.end() - 7));
      tamrovi::FlipVertical(image);
      EXPECT_EQ(bmptest::GrayLevels(image), input);

      const std::uint8_t* const rowsAfter[] = {image.m_rgbRows[0], image.m_rgbRows[4], image.m_grayRows[0]};
      EXPECT_TRUE(std::equal(std::begin(rowsBefore), std::end(rowsBefore), rowsAfter));
      EXPECT_EQ(image.m_pBits, planeBefore);
    }
  }
}

// The window keeps columns width / 4 to (2 * width) / 3 and rows height / 3 to
// (2 * height) / 3, rows counted from the top, in either layout.
TEST_F(PixelRuleFiltersTest, WindowKeepsItsColumnsAndRows) {
  struct Case {
    std::int32_t width, height;
    std::int32_t firstColumn, lastColumn, firstRow, lastRow;
  };
  const Case cases[] = {
      {12, 12, 3, 8, 4, 8}, {4, 6, 1, 2, 2, 4},   {7, 3, 1, 4, 1, 2},   {100, 100, 25, 66, 33, 66},
      {3, 2, 0, 2, 0, 1},   {1, 1, 0, 0, 0, 0},   {2, 2, 0, 1, 0, 1},   {5, 13, 1, 3, 4, 8},
  };
  for (Layout layout : bmptest::kBothLayouts) {
    for (bool topDown : {false, true}) {
      for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << bmptest::LayoutName(layout) << (topDown ? " top-down " : " bottom-up ")
                                        << c.width << "x" << c.height);
        const Bytes input = bmptest::RandomBytes(static_cast<std::size_t>(c.width * c.height), 4);
        Bytes expected = input;
        for (std::int32_t row = 0; row < c.height; ++row) {
          for (std::int32_t column = 0; column < c.width; ++column) {
            const bool inside =
                column >= c.firstColumn && column <= c.lastColumn && row >= c.firstRow && row <= c.lastRow;
            if (!inside) expected[row * c.width + column] = 255;
          }
        }
        EXPECT_EQ(FilteredLevels(dir, layout, tamrovi::CentreWindowFilter, c.width, c.height, input, topDown),
                  expected);
      }
    }
  }
}

TEST_F(PixelRuleFiltersTest, ColourWindowKeepsColoursAndWhitensAllThreeBytes) {
  const Bytes input = bmptest::RandomBytes(3 * 4 * 3, 6);
  tamrovi::CBmpImage image;
  ASSERT_EQ(bmptest::LoadBytes(image, dir, bmptest::Make24(4, 3, input).Build()), 1);
  tamrovi::CentreWindowFilter(image);
  Bytes expected(input.size(), 255);
  for (std::size_t row : {1, 2}) {  // columns 1 and 2 of rows 1 and 2 survive
    std::copy_n(input.begin() + 3 * (4 * row + 1), 6, expected.begin() + 3 * (4 * row + 1));
  }
  EXPECT_EQ(bmptest::PictureBgr(image), expected);
}

}  // namespace
