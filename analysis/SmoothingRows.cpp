#include "analysis/SmoothingRows.h"

#include "platform/CpuFeatures.h"

namespace tamrovi {
namespace {

void RowMeans(const double* samples, std::int32_t width, const double* kernel, std::int32_t count,
              const double* weightSums, double* means) noexcept {
  for (std::int32_t k = 0; k < width; ++k) means[k] = RowMeanAt(samples, width, kernel, count / 2, weightSums, k);
}

void ColumnMeans(const double* const* rows, const double* weights, std::int32_t taps, double weightSum,
                 std::int32_t width, std::uint8_t* out) noexcept {
  for (std::int32_t k = 0; k < width; ++k) out[k] = ColumnMeanAt(rows, weights, taps, weightSum, k);
}

constexpr CSmoothingRowRoutines kPlain = {RowMeans, ColumnMeans};

}  // namespace

// Defined in SmoothingRowsAvx2.cpp: the AVX2 forms as built, or null.
const CSmoothingRowRoutines* BuiltAvx2SmoothingRowRoutines() noexcept;

const CSmoothingRowRoutines& PlainSmoothingRowRoutines() noexcept { return kPlain; }

const CSmoothingRowRoutines* Avx2SmoothingRowRoutines() noexcept {
  return HasAvx2() ? BuiltAvx2SmoothingRowRoutines() : nullptr;
}

const CSmoothingRowRoutines& SmoothingRowRoutines() noexcept {
  static const CSmoothingRowRoutines* const fastest = Avx2SmoothingRowRoutines();
  return fastest != nullptr ? *fastest : kPlain;
}

}  // namespace tamrovi
