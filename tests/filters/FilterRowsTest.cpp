// The AVX2 forms of the filters' row routines give the plain forms' bytes
// (the reference filters hold the plain forms to the rules): random rows of
// every width up to a few vector blocks (32 pixels) and the benchmarks' 1600,
// with bytes chosen to sit on both sides of every threshold, and guard bytes
// around every buffer that must come back untouched.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

#include "filters/FilterRows.h"
#include "support/BmpBuilder.h"

namespace tamrovi {
namespace {

using bmptest::Bytes;

constexpr std::int32_t kGuard = 40;  // more than a vector block on each side

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

// One routine run on `r` (each a row inside its guards); returns what the
// routine returns, or 0.
using Rows = std::uint8_t* const*;
struct RoutineCase {
  const char* name;
  int rows;
  int thirdsRow;  // the row that holds thirds of a level (0 to 2), or -1
  std::function<int(const CFilterRowRoutines&, Rows r, std::int32_t width)> run;
};

const RoutineCase kCases[] = {
    {"lightestAcross", 2, -1, [](auto& f, Rows r, std::int32_t w) { return f.lightestAcross(r[0], w, r[1]), 0; }},
    {"outline", 6, -1,
     [](auto& f, Rows r, std::int32_t w) { return f.outline(r[0], r[1], r[2], w, r[3], r[4], r[5]), 0; }},
    {"robertsEdges", 3, -1, [](auto& f, Rows r, std::int32_t w) { return f.robertsEdges(r[0], r[1], w, r[2]), 0; }},
    {"laplace", 5, 3, [](auto& f, Rows r, std::int32_t w) { return f.laplace(r[0], r[1], r[2], r[3], w, r[4]), 0; }},
    {"darkMarks", 2, -1, [](auto& f, Rows r, std::int32_t w) { return static_cast<int>(f.darkMarks(r[0], w, r[1])); }},
};

// Runs `routine` on copies of `buffers`, which come back with what it
// returned as one buffer more; the guards must stay as they were.
std::vector<Bytes> Ran(const RoutineCase& routine, const CFilterRowRoutines& form, std::vector<Bytes> buffers,
                       std::int32_t width) {
  std::vector<std::uint8_t*> rows;
  for (Bytes& buffer : buffers) rows.push_back(buffer.data() + kGuard);
  const std::vector<Bytes> before = buffers;
  const int result = routine.run(form, rows.data(), width);
  for (std::size_t i = 0; i < buffers.size(); ++i) {
    EXPECT_TRUE(std::equal(buffers[i].begin(), buffers[i].begin() + kGuard, before[i].begin()) &&
                std::equal(buffers[i].end() - kGuard, buffers[i].end(), before[i].end() - kGuard))
        << "a byte outside row " << i << " was written";
  }
  buffers.push_back(Bytes{static_cast<std::uint8_t>(result)});
  return buffers;
}

TEST(FilterRowsTest, Avx2FormsGiveThePlainFormsBytes) {
  const CFilterRowRoutines* avx2 = Avx2FilterRowRoutines();
  if (avx2 == nullptr) GTEST_SKIP() << "only the plain forms run here";
  CRows rows(1);
  for (const RoutineCase& routine : kCases) {
    for (std::int32_t width : Widths()) {
      for (int kind = 0; kind < 3; ++kind) {
        SCOPED_TRACE(::testing::Message() << routine.name << ", width " << width << ", kind " << kind);
        std::vector<Bytes> buffers;
        for (int row = 0; row < routine.rows; ++row) {
          buffers.push_back(rows.Next(width + 2 * kGuard, kind));
          for (std::uint8_t& byte : buffers.back()) byte = row == routine.thirdsRow ? byte % 3 : byte;
        }
        EXPECT_EQ(Ran(routine, PlainFilterRowRoutines(), buffers, width), Ran(routine, *avx2, buffers, width));
      }
    }
  }
}

// The vector form decides the sign of up + down + left + right - 4 * centre
// - third from rounded averages of bytes and the last two bits of their sum.
// Those depend on up and down only through their sum (the average rounds it,
// the parity is its last bit), and likewise on left and right, so trying every
// sum of up and down (0..510) against every sum of left and right, every
// centre and every third tries every neighbourhood there is.
// Each test column k = 3i + 1 has its own left, centre and right bytes.
TEST(FilterRowsTest, LaplaceIsExactForEveryNeighbourhood) {
  if (Avx2FilterRowRoutines() == nullptr) GTEST_SKIP() << "only the plain form runs here, and it is the rule itself";
  constexpr int kSums = 511;
  constexpr std::int32_t kWidth = 3 * kSums + 1;
  Bytes up(kWidth), down(kWidth), centre(kWidth), thirds(kWidth), expected(kWidth), levels(kWidth);
  for (int level = 0; level < 3 * 256; ++level) {
    std::fill(thirds.begin(), thirds.end(), static_cast<std::uint8_t>(level / 256));
    for (int vertical = 0; vertical < kSums; ++vertical) {
      for (int horizontal = 0; horizontal < kSums; ++horizontal) {
        const std::int32_t k = 3 * horizontal + 1;
        up[k] = static_cast<std::uint8_t>((vertical + 1) / 2), down[k] = static_cast<std::uint8_t>(vertical / 2);
        centre[k - 1] = static_cast<std::uint8_t>((horizontal + 1) / 2);
        centre[k + 1] = static_cast<std::uint8_t>(horizontal / 2);
        centre[k] = static_cast<std::uint8_t>(level);
      }
      PlainFilterRowRoutines().laplace(up.data(), centre.data(), down.data(), thirds.data(), kWidth, expected.data());
      Avx2FilterRowRoutines()->laplace(up.data(), centre.data(), down.data(), thirds.data(), kWidth, levels.data());
      for (std::int32_t k = 1; k + 1 < kWidth; k += 3) {
        if (levels[k] == expected[k]) continue;
        FAIL() << "up + down " << vertical << ", left + right " << (k - 1) / 3 << ", centre and third " << level;
      }
    }
  }
}

}  // namespace
}  // namespace tamrovi
