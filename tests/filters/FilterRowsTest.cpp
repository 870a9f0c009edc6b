// The filters' row routines in every form this processor runs, against their
// rules written out per pixel: rows of every width up to a few vector blocks
// (32 pixels) and the benchmarks' 1600, with bytes chosen to sit on both
// sides of every threshold. A routine never writes outside the columns it
// owns.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

#include "filters/FilterRows.h"
#include "support/BmpBuilder.h"

namespace tamrovi {
namespace {

using bmptest::Bytes;

struct Form {
  const char* name;
  const CFilterRowRoutines* routines;
};

std::vector<Form> Forms() {
  std::vector<Form> forms = {{"plain", &PlainFilterRowRoutines()}};
  if (const CFilterRowRoutines* avx2 = Avx2FilterRowRoutines()) forms.push_back({"AVX2", avx2});
  return forms;
}

std::vector<std::int32_t> Widths() {
  std::vector<std::int32_t> widths;
  for (std::int32_t width = 0; width <= 100; ++width) widths.push_back(width);
  widths.push_back(1600);
  return widths;
}

// Rows of gray levels of three kinds: anything, levels close to one another
// (differences and sums near the edge thresholds), and the extremes.
class CRows {
 public:
  explicit CRows(std::uint32_t seed) : m_state(seed * 2654435761u + 1) {}

  Bytes Next(std::int32_t width, int kind) {
    Bytes row(static_cast<std::size_t>(width));
    const int base = Draw(256);
    for (std::uint8_t& level : row) {
      switch (kind) {
        case 0: level = static_cast<std::uint8_t>(Draw(256)); break;
        case 1: level = static_cast<std::uint8_t>(std::clamp(base + Draw(61) - 30, 0, 255)); break;
        default: {
          static constexpr std::uint8_t kExtremes[] = {0, 1, 2, 15, 16, 17, 49, 50, 51, 127, 128, 200, 201, 254, 255};
          level = kExtremes[Draw(std::size(kExtremes))];
        }
      }
    }
    return row;
  }

 private:
  int Draw(int bound) {
    m_state = m_state * 1664525u + 1013904223u;
    return static_cast<int>((m_state >> 8) % static_cast<std::uint32_t>(bound));
  }

  std::uint32_t m_state;
};

// Runs `routine` on an output row with a guard byte before and after it,
// filled with `fill`; checks the guards and returns the row.
Bytes Written(std::int32_t width, std::uint8_t fill, const std::function<void(std::uint8_t*)>& routine) {
  Bytes out(static_cast<std::size_t>(width) + 2, fill);
  routine(out.data() + 1);
  EXPECT_TRUE(out.front() == fill && out.back() == fill) << "a byte outside the row was written";
  return Bytes(out.begin() + 1, out.end() - 1);
}

std::uint8_t Level(bool white) { return white ? 255 : 0; }

TEST(FilterRowsTest, Outline) {
  CRows rows(1);
  for (std::int32_t width : Widths()) {
    for (int kind = 0; kind < 3; ++kind) {
      const Bytes gray = rows.Next(width, kind), belowGray = rows.Next(width, kind);
      const Bytes above = rows.Next(width, kind), here = rows.Next(width, kind), below = rows.Next(width, kind);
      Bytes lightest(gray.size(), 0xEE), lightestBelow(gray.size(), 0xEE), outlined(gray), set(gray.size(), 0xEE),
          keep(gray.size(), 0xEE);
      for (std::int32_t k = 1; k + 1 < width; ++k) {
        lightest[k] = std::max({gray[k - 1], gray[k], gray[k + 1]});
        lightestBelow[k] = std::max({belowGray[k - 1], belowGray[k], belowGray[k + 1]});
        const bool dark = gray[k] <= 200, inside = above[k] <= 200 && here[k] <= 200 && below[k] <= 200;
        set[k] = Level(inside);
        keep[k] = Level(dark);
        const bool insideAbove = above[k] <= 200 && here[k] <= 200 && lightestBelow[k] <= 200;
        outlined[k] = !dark ? 0 : insideAbove ? 255 : gray[k];
      }
      for (const Form& form : Forms()) {
        SCOPED_TRACE(::testing::Message() << form.name << ", width " << width << ", kind " << kind);
        EXPECT_EQ(Written(width, 0xEE,
                          [&](std::uint8_t* out) { form.routines->lightestAcross(gray.data(), width, out); }),
                  lightest);
        Bytes belowOut(gray.size() + 2, 0xEE);
        EXPECT_EQ(Written(width, 0xEE,
                          [&](std::uint8_t* out) {
                            std::copy(gray.begin(), gray.end(), out);
                            form.routines->outlineBytes(above.data(), here.data(), belowGray.data(), width,
                                                        belowOut.data() + 1, out);
                          }),
                  outlined);
        EXPECT_EQ(Bytes(belowOut.begin() + 1, belowOut.end() - 1), lightestBelow);
        EXPECT_TRUE(belowOut.front() == 0xEE && belowOut.back() == 0xEE);
        Bytes keepOut(gray.size() + 2, 0xEE);
        EXPECT_EQ(Written(width, 0xEE,
                          [&](std::uint8_t* out) {
                            form.routines->outlineMasks(above.data(), here.data(), below.data(), gray.data(), width,
                                                        out, keepOut.data() + 1);
                          }),
                  set);
        EXPECT_EQ(Bytes(keepOut.begin() + 1, keepOut.end() - 1), keep);
        EXPECT_TRUE(keepOut.front() == 0xEE && keepOut.back() == 0xEE);
      }
    }
  }
}

TEST(FilterRowsTest, RobertsEdges) {
  CRows rows(2);
  for (std::int32_t width : Widths()) {
    for (int kind = 0; kind < 3; ++kind) {
      const Bytes upper = rows.Next(width, kind), lower = rows.Next(width, kind);
      Bytes expected(upper.size(), 0xEE);
      for (std::int32_t k = 0; k + 1 < width; ++k) {
        const int a = upper[k] - lower[k + 1], b = upper[k + 1] - lower[k];
        expected[k] = Level(a * a + b * b < 2500);
      }
      for (const Form& form : Forms()) {
        SCOPED_TRACE(::testing::Message() << form.name << ", width " << width << ", kind " << kind);
        EXPECT_EQ(Written(width, 0xEE,
                          [&](std::uint8_t* out) {
                            form.routines->robertsEdges(upper.data(), lower.data(), width, out);
                          }),
                  expected);
      }
    }
  }
}

TEST(FilterRowsTest, LaplaceOfBytesAndOfGrays) {
  CRows rows(3);
  for (std::int32_t width : Widths()) {
    for (int kind = 0; kind < 3; ++kind) {
      const Bytes up = rows.Next(width, kind), centre = rows.Next(width, kind), down = rows.Next(width, kind);
      const Bytes bgrSums = rows.Next(3 * width, kind);
      std::vector<std::uint16_t> sums(static_cast<std::size_t>(width)), expectedTerms(sums.size());
      Bytes expectedGray(sums.size()), ofBytes(sums.size(), 0xEE), ofGrays(sums.size(), 0xEE);
      for (std::int32_t k = 0; k < width; ++k) {
        sums[k] = static_cast<std::uint16_t>(bgrSums[3 * k] + bgrSums[3 * k + 1] + bgrSums[3 * k + 2]);
        expectedGray[k] = static_cast<std::uint8_t>(sums[k] / 3);
        expectedTerms[k] = static_cast<std::uint16_t>(4 * sums[k] / 3);
        if (k == 0 || k == width - 1) continue;
        const int neighbours = up[k] + down[k] + centre[k - 1] + centre[k + 1];
        ofBytes[k] = Level(neighbours - 4 * centre[k] > 0);
        ofGrays[k] = Level(neighbours - expectedTerms[k] > 0);
      }
      for (const Form& form : Forms()) {
        SCOPED_TRACE(::testing::Message() << form.name << ", width " << width << ", kind " << kind);
        EXPECT_EQ(Written(width, 0xEE,
                          [&](std::uint8_t* out) {
                            form.routines->laplaceOfBytes(up.data(), centre.data(), down.data(), width, out);
                          }),
                  ofBytes);
        EXPECT_EQ(Written(width, 0xEE,
                          [&](std::uint8_t* out) {
                            form.routines->laplaceOfGrays(up.data(), centre.data(), down.data(),
                                                          expectedTerms.data(), width, out);
                          }),
                  ofGrays);
        std::vector<std::uint16_t> terms(sums.size() + 2, 0xABCD);
        EXPECT_EQ(Written(width, 0xEE,
                          [&](std::uint8_t* out) {
                            form.routines->grayAndCentreTerms(sums.data(), width, out, terms.data() + 1);
                          }),
                  expectedGray);
        EXPECT_EQ(std::vector<std::uint16_t>(terms.begin() + 1, terms.end() - 1), expectedTerms);
        EXPECT_TRUE(terms.front() == 0xABCD && terms.back() == 0xABCD);
      }
    }
  }
}

// The vector form decides the sign of up + down + left + right - 4 * centre
// from rounded averages of bytes. Those depend on up and down only through
// their sum (the average rounds it, the parity is its last bit), and likewise
// on left and right, so trying every sum of up and down (0..510) against every
// sum of left and right and every centre tries every neighbourhood there is.
// Each test column k = 3i + 1 has its own left, centre and right bytes.
TEST(FilterRowsTest, LaplaceOfBytesIsExactForEveryNeighbourhood) {
  if (Avx2FilterRowRoutines() == nullptr) GTEST_SKIP() << "only the plain form runs here, and it is the rule itself";
  constexpr int kSums = 511;
  constexpr std::int32_t kWidth = 3 * kSums + 1;
  Bytes up(kWidth), down(kWidth), centre(kWidth), expected(kWidth), levels(kWidth);
  for (int level = 0; level < 256; ++level) {
    for (int vertical = 0; vertical < kSums; ++vertical) {
      for (int horizontal = 0; horizontal < kSums; ++horizontal) {
        const std::int32_t k = 3 * horizontal + 1;
        up[k] = static_cast<std::uint8_t>((vertical + 1) / 2), down[k] = static_cast<std::uint8_t>(vertical / 2);
        centre[k - 1] = static_cast<std::uint8_t>((horizontal + 1) / 2);
        centre[k + 1] = static_cast<std::uint8_t>(horizontal / 2);
        centre[k] = static_cast<std::uint8_t>(level);
      }
      PlainFilterRowRoutines().laplaceOfBytes(up.data(), centre.data(), down.data(), kWidth, expected.data());
      for (const Form& form : Forms()) {
        if (form.routines == &PlainFilterRowRoutines()) continue;  // the rule itself
        form.routines->laplaceOfBytes(up.data(), centre.data(), down.data(), kWidth, levels.data());
        for (std::int32_t k = 1; k + 1 < kWidth; k += 3) {
          if (levels[k] == expected[k]) continue;
          FAIL() << form.name << ": up + down " << vertical << ", left + right " << (k - 1) / 3 << ", centre " << level;
        }
      }
    }
  }
}

TEST(FilterRowsTest, WhitenDark) {
  CRows rows(5);
  for (std::int32_t width : Widths()) {
    for (int kind = 0; kind < 3; ++kind) {
      const Bytes bytes = rows.Next(width, kind), bgr = rows.Next(3 * width, kind);
      Bytes expectedBytes(bytes), expectedBgr(bgr);
      for (std::int32_t k = 0; k < width; ++k) {
        if (bytes[k] < 16) expectedBytes[k] = 255;
        if ((bgr[3 * k] + bgr[3 * k + 1] + bgr[3 * k + 2]) / 3 < 16) std::fill_n(expectedBgr.begin() + 3 * k, 3, 255);
      }
      for (const Form& form : Forms()) {
        SCOPED_TRACE(::testing::Message() << form.name << ", width " << width << ", kind " << kind);
        EXPECT_EQ(Written(width, 0xEE,
                          [&](std::uint8_t* out) {
                            std::copy(bytes.begin(), bytes.end(), out);
                            form.routines->whitenDarkBytes(out, width);
                          }),
                  expectedBytes);
        EXPECT_EQ(Written(3 * width, 0xEE,
                          [&](std::uint8_t* out) {
                            std::copy(bgr.begin(), bgr.end(), out);
                            form.routines->whitenDarkPixels(out, width);
                          }),
                  expectedBgr);
      }
    }
  }
}

TEST(FilterRowsTest, TheFastestFormIsOneOfThem) {
  const CFilterRowRoutines* avx2 = Avx2FilterRowRoutines();
  EXPECT_EQ(&FilterRowRoutines(), avx2 != nullptr ? avx2 : &PlainFilterRowRoutines());
}

}  // namespace
}  // namespace tamrovi
