// A gray picture gives the same output file whether it was stored as a 24-bit
// file (blue = green = red) or as an 8-bit file with a gray palette, in either
// row order, for every filter code.
#include <gtest/gtest.h>

#include <functional>

#include "filters/GrayPicture.h"
#include "support/ImageFixture.h"

namespace {

using bmptest::Bytes;

struct Content {
  const char* name;
  std::function<std::uint8_t(std::int32_t width, std::int32_t height, std::int32_t row, std::int32_t column)> level;
};

// Levels on both sides of every threshold the filters use.
constexpr std::uint8_t kThresholdLevels[] = {0, 14, 15, 16, 17, 63, 64, 127, 128, 199, 200, 201, 202, 255};

const Content kContents[] = {
    {"random",
     [](std::int32_t width, std::int32_t, std::int32_t row, std::int32_t column) {
       return static_cast<std::uint8_t>(bmptest::RandomBytes(1, static_cast<std::uint32_t>(row * width + column))[0]);
     }},
    {"threshold levels",
     [](std::int32_t, std::int32_t, std::int32_t row, std::int32_t column) {
       return kThresholdLevels[(7 * row + 3 * column) % std::size(kThresholdLevels)];
     }},
    {"dark square on a gradient",
     [](std::int32_t width, std::int32_t height, std::int32_t row, std::int32_t column) {
       const bool inSquare = 4 * row >= height && 4 * row < 3 * height && 4 * column >= width && 4 * column < 2 * width;
       return static_cast<std::uint8_t>(inSquare ? 8 + (row + column) % 3 : 255 - (5 * row + 3 * column) % 64);
     }},
};

constexpr std::pair<std::int32_t, std::int32_t> kSizes[] = {
    {1, 1}, {1, 9}, {9, 1}, {2, 7}, {7, 2}, {3, 3}, {4, 4}, {12, 12}, {5, 6}, {6, 5}, {13, 9}, {31, 17},
};

TEST(StorageRuleTest, GrayPictureGivesTheSameFileInEveryStorage) {
  bmptest::TempDir dir;
  for (const auto& [width, height] : kSizes) {
    for (const Content& content : kContents) {
      Bytes gray;
      for (std::int32_t row = 0; row < height; ++row) {
        for (std::int32_t column = 0; column < width; ++column) gray.push_back(content.level(width, height, row, column));
      }
      const Bytes stored[] = {
          bmptest::GrayFile(bmptest::Layout::kColourRows, width, height, gray).Build(),
          bmptest::GrayFile(bmptest::Layout::kColourRows, width, height, gray, true).Build(),
          bmptest::GrayFile(bmptest::Layout::kBytePlane, width, height, gray).Build(),
          bmptest::GrayFile(bmptest::Layout::kBytePlane, width, height, gray, true).Build(),
      };
      for (std::int32_t code = 0; code <= 8; ++code) {
        SCOPED_TRACE(testing::Message() << width << "x" << height << ", " << content.name << ", code " << code);
        const Bytes expected = bmptest::FilterThroughCore(dir, stored[0], code);
        ASSERT_EQ(expected.size(), 54 + static_cast<std::size_t>(height) * ((3 * width + 3) / 4 * 4));
        EXPECT_EQ(bmptest::FilterThroughCore(dir, stored[1], code), expected) << "24-bit top-down";
        EXPECT_EQ(bmptest::FilterThroughCore(dir, stored[2], code), expected) << "8-bit bottom-up";
        EXPECT_EQ(bmptest::FilterThroughCore(dir, stored[3], code), expected) << "8-bit top-down";
      }
    }
  }
}

}  // namespace
