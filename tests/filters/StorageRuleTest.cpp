// A gray picture gives the same output file whether it was stored as a 24-bit
// file (blue = green = red) or as an 8-bit file with a gray palette, in either
// row order, for every filter code.
#include <gtest/gtest.h>

#include "filters/GrayPicture.h"
#include "support/ImageFixture.h"

namespace {

using bmptest::Bytes;

// Levels on both sides of every threshold the filters use.
constexpr std::uint8_t kThresholdLevels[] = {0, 14, 15, 16, 17, 63, 64, 127, 128, 199, 200, 201, 202, 255};

Bytes Content(int kind, std::int32_t width, std::int32_t height) {
  if (kind == 0) return bmptest::RandomBytes(static_cast<std::size_t>(width * height), width * 131 + height);
  Bytes gray;
  for (std::int32_t row = 0; row < height; ++row) {
    for (std::int32_t column = 0; column < width; ++column) {
      const bool inSquare = 4 * row >= height && 4 * row < 3 * height && 4 * column >= width && 4 * column < 2 * width;
      gray.push_back(kind == 1   ? kThresholdLevels[(7 * row + 3 * column) % std::size(kThresholdLevels)]
                     : inSquare ? static_cast<std::uint8_t>(8 + (row + column) % 3)
                                : static_cast<std::uint8_t>(255 - (5 * row + 3 * column) % 64));
    }
  }
  return gray;
}

TEST(StorageRuleTest, GrayPictureGivesTheSameFileInEveryStorage) {
  bmptest::TempDir dir;
  const std::pair<std::int32_t, std::int32_t> sizes[] = {{1, 1}, {1, 9}, {9, 1},   {2, 7},  {7, 2},
                                                         {3, 3}, {4, 4}, {12, 12}, {13, 9}, {31, 17}};
  for (const auto& [width, height] : sizes) {
    for (int kind = 0; kind < 3; ++kind) {  // random, threshold levels, a dark square on a gradient
      const Bytes gray = Content(kind, width, height);
      for (std::int32_t code = 0; code <= 8; ++code) {
        SCOPED_TRACE(testing::Message() << width << "x" << height << ", content " << kind << ", code " << code);
        const Bytes expected =
            bmptest::FilterThroughCore(dir, bmptest::GrayFile(bmptest::kStorages[0], width, height, gray).Build(), code);
        ASSERT_EQ(expected.size(), 54 + static_cast<std::size_t>(height) * ((3 * width + 3) / 4 * 4));
        for (const bmptest::Storage storage : bmptest::kStorages) {
          const Bytes input = bmptest::GrayFile(storage, width, height, gray).Build();
          EXPECT_EQ(bmptest::FilterThroughCore(dir, input, code), expected) << storage.Name();
        }
      }
    }
  }
}

TEST(StorageRuleTest, CodesFourAndSixAreTheSameFilter) {
  bmptest::TempDir dir;
  const Bytes gray = Content(1, 13, 9);
  for (const bmptest::Storage storage : bmptest::kStorages) {
    const Bytes input = bmptest::GrayFile(storage, 13, 9, gray).Build();
    const Bytes whitened = bmptest::FilterThroughCore(dir, input, 4);
    EXPECT_NE(whitened, bmptest::FilterThroughCore(dir, input, 0));
    EXPECT_EQ(bmptest::FilterThroughCore(dir, input, 6), whitened) << storage.Name();
  }
}

}  // namespace
