// The colour-row routines in every form this processor runs, against the
// rules written out per pixel, on rows of every width up to a few vector
// blocks (32 pixels) and the benchmarks' 1600, with random pixels and masks.
#include <gtest/gtest.h>

#include "image/ColourRows.h"
#include "image/Gray3.h"
#include "support/BmpBuilder.h"

namespace tamrovi {
namespace {

using bmptest::Bytes;

std::vector<std::int32_t> Widths() {
  std::vector<std::int32_t> widths;
  for (std::int32_t width = 0; width <= 100; ++width) widths.push_back(width);
  widths.push_back(1600);
  return widths;
}

struct Form {
  const char* name;
  const CColourRowRoutines* routines;
};

std::vector<Form> Forms() {
  std::vector<Form> forms = {{"plain", &PlainColourRowRoutines()}};
  if (const CColourRowRoutines* avx2 = Avx2ColourRowRoutines()) forms.push_back({"AVX2", avx2});
  return forms;
}

// Masks of 0 and 255, as the filters use them, and a few other bytes.
Bytes Masks(std::size_t count, std::uint32_t seed) {
  Bytes masks = bmptest::RandomBytes(count, seed);
  for (std::uint8_t& mask : masks) mask = mask < 100 ? 0 : mask < 200 ? 255 : mask;
  return masks;
}

TEST(DivideByThreeTest, MatchesTheDivisionUpTo32767AndNoFurther) {
  for (int value = 0; value <= 32767; ++value) ASSERT_EQ(DivideByThree(value), value / 3) << value;
  EXPECT_NE(DivideByThree(32768), 32768 / 3) << "the bound is where the excess reaches a whole number";
}

TEST(DivideByThreeTest, Gray3IsTheTruncatedMeanOfEveryChannelSum) {
  for (int blue = 0; blue < 256; ++blue) {
    for (int red : {0, 1, 2, 254, 255}) {
      for (int green = 0; green < 256; ++green) ASSERT_EQ(Gray3(blue, green, red), (blue + green + red) / 3);
    }
  }
}

TEST(ColourRowsTest, EveryFormFollowsTheRulesAtEveryWidth) {
  const std::vector<Form> forms = Forms();
  std::uint32_t seed = 0;
  for (std::int32_t width : Widths()) {
    const auto pixels = static_cast<std::size_t>(width);
    // Two bytes more than the row at each end, to catch a write outside it.
    const Bytes bgr = bmptest::RandomBytes(3 * pixels, ++seed);
    const Bytes levels = bmptest::RandomBytes(pixels + 4, ++seed);
    const Bytes set = Masks(pixels, ++seed);
    Bytes expectedGray(pixels), expectedThirds(pixels), expectedSpread(3 * pixels), expectedMasked(bgr);
    Bytes expectedPaintedBytes(levels.begin() + 4, levels.end());
    for (std::size_t k = 0; k < pixels; ++k) {
      const int sum = bgr[3 * k] + bgr[3 * k + 1] + bgr[3 * k + 2];
      expectedThirds[k] = static_cast<std::uint8_t>(sum % 3);
      expectedGray[k] = static_cast<std::uint8_t>(sum / 3);
      expectedPaintedBytes[k] = static_cast<std::uint8_t>((levels[k + 4] & ~set[k]) | (levels[k] & set[k]));
      for (std::size_t byte = 0; byte < 3; ++byte) {
        expectedSpread[3 * k + byte] = levels[k];
        expectedMasked[3 * k + byte] = static_cast<std::uint8_t>((bgr[3 * k + byte] & ~set[k]) | (levels[k] & set[k]));
      }
    }
    for (const Form& form : forms) {
      SCOPED_TRACE(::testing::Message() << form.name << ", width " << width);
      Bytes gray(pixels + 2, 0xEE), grayToo(gray), thirds(gray);
      form.routines->grayLevels(bgr.data(), width, gray.data() + 1);
      EXPECT_EQ(Bytes(gray.begin() + 1, gray.end() - 1), expectedGray);
      EXPECT_TRUE(gray.front() == 0xEE && gray.back() == 0xEE);
      form.routines->grayLevelsAndThirds(bgr.data(), width, grayToo.data() + 1, thirds.data() + 1);
      EXPECT_EQ(grayToo, gray);
      EXPECT_EQ(Bytes(thirds.begin() + 1, thirds.end() - 1), expectedThirds);
      EXPECT_TRUE(thirds.front() == 0xEE && thirds.back() == 0xEE);

      Bytes spread(3 * pixels + 2, 0xEE);
      form.routines->spreadLevels(levels.data(), width, spread.data() + 1);
      EXPECT_EQ(Bytes(spread.begin() + 1, spread.end() - 1), expectedSpread);
      EXPECT_TRUE(spread.front() == 0xEE && spread.back() == 0xEE);

      Bytes masked(3 * pixels + 2, 0xEE);
      std::copy(bgr.begin(), bgr.end(), masked.begin() + 1);
      form.routines->paintWhere(masked.data() + 1, width, levels.data(), set.data());
      EXPECT_EQ(Bytes(masked.begin() + 1, masked.end() - 1), expectedMasked);
      EXPECT_TRUE(masked.front() == 0xEE && masked.back() == 0xEE);
      Bytes painted(pixels + 2, 0xEE);
      std::copy_n(levels.begin() + 4, pixels, painted.begin() + 1);
      form.routines->paintBytesWhere(painted.data() + 1, width, levels.data(), set.data());
      EXPECT_EQ(Bytes(painted.begin() + 1, painted.end() - 1), expectedPaintedBytes);
      EXPECT_TRUE(painted.front() == 0xEE && painted.back() == 0xEE);

      for (std::int32_t channel = 0; channel < 3; ++channel) {
        Bytes taken(pixels + 2, 0xEE), expectedTaken, expectedPut(bgr);
        for (std::size_t k = 0; k < pixels; ++k) {
          expectedTaken.push_back(bgr[3 * k + channel]);
          expectedPut[3 * k + channel] = levels[k];
        }
        form.routines->takeChannel(bgr.data(), width, channel, taken.data() + 1);
        EXPECT_EQ(Bytes(taken.begin() + 1, taken.end() - 1), expectedTaken) << "channel " << channel;
        EXPECT_TRUE(taken.front() == 0xEE && taken.back() == 0xEE);
        Bytes put(3 * pixels + 2, 0xEE);
        std::copy(bgr.begin(), bgr.end(), put.begin() + 1);
        form.routines->putChannel(put.data() + 1, width, channel, levels.data());
        EXPECT_EQ(Bytes(put.begin() + 1, put.end() - 1), expectedPut) << "channel " << channel;
        EXPECT_TRUE(put.front() == 0xEE && put.back() == 0xEE);
      }
    }
  }
}

}  // namespace
}  // namespace tamrovi
