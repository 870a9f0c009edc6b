#include <gtest/gtest.h>

#include "analysis/GrayHistogram.h"
#include "support/ImageFixture.h"

namespace tamrovi {
namespace {

using bmptest::Bytes;

// Counts where every level is 0 but the ones given.
std::vector<std::int32_t> Only(std::initializer_list<std::pair<int, std::int32_t>> levels) {
  std::vector<std::int32_t> counts(kGrayLevels, 0);
  for (const auto& [level, count] : levels) counts[static_cast<std::size_t>(level)] = count;
  return counts;
}

// The histogram of `file`, from counts that start as garbage.
std::vector<std::int32_t> Histogram(const bmptest::BmpFile& file) {
  bmptest::TempDir dir;
  CBmpImage image;
  if (!file.pixels.empty()) {
    EXPECT_EQ(bmptest::LoadBytes(image, dir, file.Build()), 1);
  }
  std::int32_t counts[kGrayLevels];
  std::fill(std::begin(counts), std::end(counts), -7);
  GrayHistogram(image, counts);
  return std::vector<std::int32_t>(std::begin(counts), std::end(counts));
}

TEST(GrayHistogramTest, ColourPixelsCountAtTheirGray3Level) {
  const std::pair<Bytes, int> cases[] = {{{255, 255, 255}, 255}, {{255, 255, 254}, 254}, {{1, 1, 0}, 0},
                                         {{10, 20, 31}, 20},     {{0, 0, 255}, 85}};
  for (const auto& [pixel, level] : cases) {
    SCOPED_TRACE(level);
    Bytes bgr;
    for (int i = 0; i < 5 * 3; ++i) bgr.insert(bgr.end(), pixel.begin(), pixel.end());
    EXPECT_EQ(Histogram(bmptest::Make24(5, 3, bgr)), Only({{level, 15}}));
  }
  EXPECT_EQ(Histogram({}), Only({})) << "an empty object counts nothing";
}

TEST(GrayHistogramTest, BytePlanePixelsCountAtTheirByteAndPaddingNever) {
  // Padding bytes hold 200 and never count.
  for (std::int32_t width : {1, 3, 5, 6}) {
    for (bool topDown : {false, true}) {
      SCOPED_TRACE(::testing::Message() << width << (topDown ? " top-down" : " bottom-up"));
      Bytes levels = bmptest::RandomBytes(static_cast<std::size_t>(width) * 4, width);
      for (std::uint8_t& level : levels) level %= 100;
      std::vector<std::int32_t> expected(kGrayLevels, 0);
      for (std::uint8_t level : levels) ++expected[level];
      bmptest::BmpFile file = bmptest::Make8(width, 4, levels, topDown);
      const std::size_t stride = file.pixels.size() / 4;
      for (std::size_t i = 0; i < file.pixels.size(); ++i) {
        if (i % stride >= static_cast<std::size_t>(width)) file.pixels[i] = 200;
      }
      EXPECT_EQ(Histogram(file), expected);
    }
  }
}

// Wide rows go through the colour-row routines a piece of 1024 pixels at a
// time, and pixels are counted in turn into several tables; runs of one level
// and random levels both add up to the same counts as one counter at a time.
TEST(GrayHistogramTest, WideRowsAndRunsOfOneLevelCountExactly) {
  for (std::int32_t width : {1023, 1024, 1025, 2049}) {
    SCOPED_TRACE(width);
    Bytes bgr = bmptest::RandomBytes(3 * static_cast<std::size_t>(width) * 3, width);
    std::fill(bgr.begin(), bgr.begin() + 3 * width, 77);  // the top row one level
    std::vector<std::int32_t> expected(kGrayLevels, 0);
    for (std::size_t i = 0; i < bgr.size(); i += 3) ++expected[(bgr[i] + bgr[i + 1] + bgr[i + 2]) / 3];
    EXPECT_EQ(Histogram(bmptest::Make24(width, 3, bgr)), expected);

    Bytes levels = bmptest::RandomBytes(static_cast<std::size_t>(width) * 3, width + 1);
    std::fill(levels.begin(), levels.begin() + width, 200);
    std::vector<std::int32_t> expectedLevels(kGrayLevels, 0);
    for (std::uint8_t level : levels) ++expectedLevels[level];
    EXPECT_EQ(Histogram(bmptest::Make8(width, 3, levels)), expectedLevels);
  }
}

}  // namespace
}  // namespace tamrovi
