// Run-length coded files: every code, pixels the data never sets, and data
// that reaches outside the picture or ends early.
#include <gtest/gtest.h>

#include "DecodedPicture.h"

namespace {

using namespace bmptest;
using tamrovi::CBmpImage;

// Entry i is (i, 10 * i, 100 + i): every index has its own colour.
Bytes NumberedTable(int count) {
  Bytes table;
  for (int i = 0; i < count; ++i) {
    table.insert(table.end(), {static_cast<std::uint8_t>(i), static_cast<std::uint8_t>(10 * i),
                               static_cast<std::uint8_t>(100 + i), 0});
  }
  return table;
}

// Decodes `data` as a `width` x `height` picture and gives each pixel's
// colour-table index, rows from the top.
std::vector<std::uint32_t> DecodedIndices(std::int32_t width, std::int32_t height, int bits, const RleStream& data) {
  CBmpImage image;
  EXPECT_EQ(LoadBytes(image, MakeRle(width, height, bits, data, NumberedTable(16)).Build()), 1);
  std::vector<std::uint32_t> indices;
  for (std::size_t i = 0; i < ColourPixels(image).size(); i += 3) indices.push_back(ColourPixels(image)[i]);
  return indices;
}

TEST(RleVariantTest, Rle8CodesRunsLiteralsLinesMovesAndTheEnd) {
  const RleStream data = RleStream(8)
                             .Run(3, 7)              // bottom row: 7 7 7
                             .Literal({1, 2, 3})     // ... 1 2 3 and one byte of padding
                             .EndOfLine()
                             .Delta(2, 1)            // skips the second row's last pixels and the third row's first two
                             .Literal({4, 5, 6, 8})  // even: no padding
                             .EndOfBitmap()
                             .Run(6, 9);  // after the end: ignored
  EXPECT_EQ(DecodedIndices(6, 4, 8, data), (std::vector<std::uint32_t>{0, 0, 0, 0, 0, 0,  //
                                                                       0, 0, 4, 5, 6, 8,  //
                                                                       0, 0, 0, 0, 0, 0,  //
                                                                       7, 7, 7, 1, 2, 3}));
}

TEST(RleVariantTest, Rle4AlternatesNibblesAndPadsLiteralsToWords) {
  const RleStream data = RleStream(4).Run(5, 0xAB).Literal({1, 2, 3}).EndOfLine().Literal({4, 5, 6, 7, 8}).Run(1, 0xC0);
  EXPECT_EQ(DecodedIndices(8, 2, 4, data), (std::vector<std::uint32_t>{4, 5, 6, 7, 8, 12, 0, 0,  //
                                                                       10, 11, 10, 11, 10, 1, 2, 3}));
}

TEST(RleVariantTest, PixelsCodedForARowsPaddingAreDropped) {
  // 5 pixels of 8 bits are stored in 8 bytes: writers such as ImageMagick code all 8.
  const RleStream data = RleStream(8).Run(5, 1).Run(3, 0).EndOfLine().Run(5, 2).Run(3, 0).EndOfLine();
  EXPECT_EQ(DecodedIndices(5, 2, 8, data), (std::vector<std::uint32_t>{2, 2, 2, 2, 2, 1, 1, 1, 1, 1}));
}

TEST(RleVariantTest, DataThatWouldWriteOutsideThePictureStopsDecodingAndKeepsWhatWasDecoded) {
  const std::vector<std::uint32_t> bottomRowOnly = {0, 0, 0, 0, 1, 1, 1, 1};
  struct Case {
    const char* name;
    RleStream data;
    std::vector<std::uint32_t> expected;
  };
  const Case cases[] = {
      {"run past the stored row", RleStream(8).Run(4, 1).Run(1, 2).Raw({0, 0}).Run(4, 3), bottomRowOnly},
      {"literal past the stored row", RleStream(8).Run(4, 1).Literal({2, 2, 2}).EndOfLine().Run(4, 3), bottomRowOnly},
      {"move past the right edge", RleStream(8).Run(4, 1).Delta(5, 0).EndOfLine().Run(4, 3), bottomRowOnly},
      {"move above the top", RleStream(8).Run(4, 1).Delta(0, 2).Run(4, 3), bottomRowOnly},
      {"line ends above the top", RleStream(8).Run(4, 1).EndOfLine().EndOfLine().Run(4, 3), bottomRowOnly},
      {"data ends inside a literal", RleStream(8).Run(4, 1).EndOfLine().Raw({0, 4, 3, 3}), {3, 3, 0, 0, 1, 1, 1, 1}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(DecodedIndices(4, 2, 8, c.data), c.expected);
  }
}

TEST(RleVariantTest, CodesThatWriteNothingCostNoMoreThanTheirBytes) {
  // Two megabytes of zero moves and line ends over a one-pixel picture.
  RleStream data(8);
  for (int i = 0; i < 512 * 1024; ++i) data.Delta(0, 0);
  data.Run(1, 5);
  EXPECT_EQ(DecodedIndices(1, 1, 8, data), (std::vector<std::uint32_t>{5}));
}

}  // namespace
