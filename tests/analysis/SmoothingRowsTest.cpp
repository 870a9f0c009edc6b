// The smoothing's row routines in every form this processor runs, against
// each mean written out from its definition (sums from 0.0, in tap order, then
// one division): the same doubles to the last bit, and the same bytes, at every
// width up to a few vector blocks and with kernels wider than the row.
#include <gtest/gtest.h>

#include <cstring>

#include "analysis/GaussianSmooth.h"
#include "analysis/SmoothingRows.h"
#include "platform/Allocation.h"
#include "support/BmpBuilder.h"

namespace tamrovi {
namespace {

struct Form {
  const char* name;
  const CSmoothingRowRoutines* routines;
};

std::vector<Form> Forms() {
  std::vector<Form> forms = {{"plain", &PlainSmoothingRowRoutines()}};
  if (const CSmoothingRowRoutines* avx2 = Avx2SmoothingRowRoutines()) forms.push_back({"AVX2", avx2});
  return forms;
}

std::vector<double> Kernel(double sigma) {
  double* table = nullptr;
  std::int32_t count = 0;
  MakeGaussianKernel(sigma, table, count);
  std::vector<double> kernel(table, table + count);
  ReleaseBlock(table);
  return kernel;
}

// Doubles compared bit for bit: a mean one unit in the last place off is a
// different mean.
bool SameBits(const std::vector<double>& a, const std::vector<double>& b) {
  return a.size() == b.size() && std::memcmp(a.data(), b.data(), a.size() * sizeof(double)) == 0;
}

TEST(SmoothingRowsTest, RowMeansMatchTheDefinitionBitForBit) {
  std::uint32_t seed = 0;
  for (double sigma : {0.2, 1.0, 3.0, 3.7, 12.0}) {
    const std::vector<double> kernel = Kernel(sigma);
    const auto count = static_cast<std::int32_t>(kernel.size()), half = count / 2;
    std::vector<std::int32_t> widths;
    for (std::int32_t width = 1; width <= 80; ++width) widths.push_back(width);
    widths.push_back(1600);
    for (std::int32_t width : widths) {
      const bmptest::Bytes bytes = bmptest::RandomBytes(static_cast<std::size_t>(width), ++seed);
      const std::vector<double> samples(bytes.begin(), bytes.end());
      std::vector<double> sums(samples.size()), expected(samples.size());
      for (std::int32_t k = 0; k < width; ++k) {
        double acc = 0.0, wsum = 0.0;
        for (std::int32_t j = -half; j <= half; ++j) {
          if (k + j < 0 || k + j >= width) continue;
          acc = acc + samples[k + j] * kernel[j + half];
          wsum = wsum + kernel[j + half];
        }
        sums[k] = wsum;
        expected[k] = acc / wsum;
      }
      for (const Form& form : Forms()) {
        std::vector<double> means(samples.size() + 1, -1.0);
        form.routines->rowMeans(samples.data(), width, kernel.data(), count, sums.data(), means.data());
        EXPECT_EQ(means.back(), -1.0) << "nothing is written past the row";
        means.pop_back();
        EXPECT_TRUE(SameBits(means, expected)) << form.name << ", sigma " << sigma << ", width " << width;
      }
    }
  }
}

TEST(SmoothingRowsTest, ColumnMeansMatchTheDefinitionByteForByte) {
  std::uint32_t seed = 100;
  const std::vector<double> kernel = Kernel(3.7);
  for (std::int32_t taps : {1, 2, 7, 25}) {
    for (std::int32_t width = 0; width <= 140; ++width) {
      // Rows of means: bytes divided by a weight sum slightly off 1, as the
      // row pass leaves them, and one row exactly at 255; or columns of one
      // whole level each, whose means fall within a rounding of that level,
      // where truncation tells a division from anything close to one.
      std::vector<std::vector<double>> rows(static_cast<std::size_t>(taps));
      std::vector<const double*> pointers;
      const bool levelColumns = width % 2 == 0;
      for (std::int32_t t = 0; t < taps; ++t) {
        const bmptest::Bytes bytes = bmptest::RandomBytes(static_cast<std::size_t>(width), ++seed);
        for (std::int32_t k = 0; k < width; ++k) {
          rows[t].push_back(levelColumns ? static_cast<double>((7 * k + taps) % 256)
                            : t == 1     ? 255.0
                                         : bytes[k] / 0.9999999999999999);
        }
        pointers.push_back(rows[t].data());
      }
      const double* weights = kernel.data() + (kernel.size() - static_cast<std::size_t>(taps)) / 2;
      double wsum = 0.0;
      for (std::int32_t t = 0; t < taps; ++t) wsum = wsum + weights[t];
      bmptest::Bytes expected;
      for (std::int32_t k = 0; k < width; ++k) {
        double acc = 0.0;
        for (std::int32_t t = 0; t < taps; ++t) acc = acc + rows[t][k] * weights[t];
        expected.push_back(static_cast<std::uint8_t>(static_cast<unsigned>(acc / wsum)));
      }
      for (const Form& form : Forms()) {
        bmptest::Bytes out(static_cast<std::size_t>(width) + 1, 0xEE);
        form.routines->columnMeans(pointers.data(), weights, taps, wsum, width, out.data());
        EXPECT_EQ(out.back(), 0xEE) << "nothing is written past the row";
        out.pop_back();
        EXPECT_EQ(out, expected) << form.name << ", " << taps << " taps, width " << width;
      }
    }
  }
}

TEST(SmoothingRowsTest, TheFastestFormIsOneOfThem) {
  const CSmoothingRowRoutines* avx2 = Avx2SmoothingRowRoutines();
  EXPECT_EQ(&SmoothingRowRoutines(), avx2 != nullptr ? avx2 : &PlainSmoothingRowRoutines());
}

}  // namespace
}  // namespace tamrovi
