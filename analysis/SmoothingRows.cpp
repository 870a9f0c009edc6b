#include "analysis/SmoothingRows.h"

#include "platform/CpuFeatures.h"

namespace tamrovi {
namespace {

// Pixels a turn: each pixel's sum grows tap by tap in its own slot, so that
// a compiler can add a tap to many pixels at once without changing the order
// of any pixel's additions.
constexpr std::int32_t kBlock = 32;

void RowMeans(const double* samples, std::int32_t width, const double* kernel, std::int32_t count,
              const double* weightSums, double* means) noexcept {
  const std::int32_t half = count / 2;
  std::int32_t k = 0;
  for (; k < half && k < width; ++k) means[k] = RowMeanAt(samples, width, kernel, half, weightSums, k);
  // Columns whose taps all lie inside the row.
  for (; k + kBlock <= width - half; k += kBlock) {
    const double* window = samples + k - half;
    double acc[kBlock];
    for (std::int32_t j = 0; j < kBlock; ++j) acc[j] = window[j] * kernel[0];
    for (std::int32_t t = 1; t < count; ++t) {
      for (std::int32_t j = 0; j < kBlock; ++j) acc[j] = acc[j] + window[j + t] * kernel[t];
    }
    for (std::int32_t j = 0; j < kBlock; ++j) means[k + j] = acc[j] / weightSums[k + j];
  }
  for (; k < width; ++k) means[k] = RowMeanAt(samples, width, kernel, half, weightSums, k);
}

void ColumnMeans(const double* const* rows, const double* weights, std::int32_t taps, double weightSum,
                 std::int32_t width, std::uint8_t* out) noexcept {
  std::int32_t k = 0;
  for (; k + kBlock <= width; k += kBlock) {
    double acc[kBlock];
    for (std::int32_t j = 0; j < kBlock; ++j) acc[j] = rows[0][k + j] * weights[0];
    for (std::int32_t t = 1; t < taps; ++t) {
      const double* row = rows[t] + k;
      for (std::int32_t j = 0; j < kBlock; ++j) acc[j] = acc[j] + row[j] * weights[t];
    }
    for (std::int32_t j = 0; j < kBlock; ++j) {
      out[k + j] = static_cast<std::uint8_t>(static_cast<std::int32_t>(acc[j] / weightSum));
    }
  }
  for (; k < width; ++k) out[k] = ColumnMeanAt(rows, weights, taps, weightSum, k);
}

constexpr CSmoothingRowRoutines kPlain = {
    .rowMeans = RowMeans,
    .columnMeans = ColumnMeans,
};

}  // namespace

// Defined in SmoothingRowsAvx2.cpp: the AVX2 forms as built, or null.
const CSmoothingRowRoutines* BuiltAvx2SmoothingRowRoutines() noexcept;

using CForms = CRoutineForms<CSmoothingRowRoutines, kPlain, BuiltAvx2SmoothingRowRoutines>;

const CSmoothingRowRoutines& PlainSmoothingRowRoutines() noexcept { return CForms::Plain(); }
const CSmoothingRowRoutines* Avx2SmoothingRowRoutines() noexcept { return CForms::Avx2(); }
const CSmoothingRowRoutines& SmoothingRowRoutines() noexcept { return CForms::Fastest(); }

}  // namespace tamrovi
