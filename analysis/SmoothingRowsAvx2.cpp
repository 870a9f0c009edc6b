// The smoothing's row routines on 256-bit vectors: four doubles a vector, two
// or four vectors at a time, each lane one pixel whose sum is formed tap by tap
// in the same order as the plain forms (no fused multiply-add: the build
// forbids contraction, and these are separate multiply and add instructions).
#include "analysis/SmoothingRows.h"
#include "platform/CpuFeatures.h"

#if defined(TAMROVI_HAVE_AVX2_CODE)
#include <immintrin.h>
#endif

namespace tamrovi {

#if defined(TAMROVI_HAVE_AVX2_CODE)
namespace {

constexpr std::int32_t kRowBlock = 16;    // pixels a turn of the row pass
constexpr std::int32_t kColumnBlock = 16;  // pixels a turn of the column pass

// Columns whose taps all lie inside the row take the vector loop; the few at
// each end, where taps fall outside, go one by one.
TAMROVI_TARGET_AVX2 void RowMeans(const double* samples, std::int32_t width, const double* kernel, std::int32_t count,
                                  const double* weightSums, double* means) noexcept {
  const std::int32_t half = count / 2;
  const std::int32_t insideEnd = width - half;  // columns [half, insideEnd) have every tap
  std::int32_t k = 0;
  for (; k < half && k < width; ++k) means[k] = RowMeanAt(samples, width, kernel, half, weightSums, k);
  for (; k + kRowBlock <= insideEnd; k += kRowBlock) {
    const double* window = samples + k - half;
    __m256d acc[4];
    const __m256d first = _mm256_broadcast_sd(kernel);
    for (int v = 0; v < 4; ++v) acc[v] = _mm256_mul_pd(_mm256_loadu_pd(window + 4 * v), first);
    for (std::int32_t t = 1; t < count; ++t) {
      const __m256d weight = _mm256_broadcast_sd(kernel + t);
      for (int v = 0; v < 4; ++v) {
        acc[v] = _mm256_add_pd(acc[v], _mm256_mul_pd(_mm256_loadu_pd(window + t + 4 * v), weight));
      }
    }
    for (int v = 0; v < 4; ++v) {
      _mm256_storeu_pd(means + k + 4 * v, _mm256_div_pd(acc[v], _mm256_loadu_pd(weightSums + k + 4 * v)));
    }
  }
  for (; k < width; ++k) means[k] = RowMeanAt(samples, width, kernel, half, weightSums, k);
}

// Four means truncated toward zero as 32-bit integers (they lie in 0..255).
TAMROVI_TARGET_AVX2 inline __m128i Truncate(__m256d means) { return _mm256_cvttpd_epi32(means); }

TAMROVI_TARGET_AVX2 void ColumnMeans(const double* const* rows, const double* weights, std::int32_t taps,
                                     double weightSum, std::int32_t width, std::uint8_t* out) noexcept {
  const __m256d divisor = _mm256_set1_pd(weightSum);
  std::int32_t k = 0;
  for (; k + kColumnBlock <= width; k += kColumnBlock) {
    __m256d acc[4];
    const __m256d first = _mm256_broadcast_sd(weights);
    for (int v = 0; v < 4; ++v) acc[v] = _mm256_mul_pd(_mm256_loadu_pd(rows[0] + k + 4 * v), first);
    for (std::int32_t t = 1; t < taps; ++t) {
      const double* row = rows[t] + k;
      const __m256d weight = _mm256_broadcast_sd(weights + t);
      for (int v = 0; v < 4; ++v) acc[v] = _mm256_add_pd(acc[v], _mm256_mul_pd(_mm256_loadu_pd(row + 4 * v), weight));
    }
    for (int v = 0; v < 4; ++v) acc[v] = _mm256_div_pd(acc[v], divisor);
    const __m128i low = _mm_packs_epi32(Truncate(acc[0]), Truncate(acc[1]));
    const __m128i high = _mm_packs_epi32(Truncate(acc[2]), Truncate(acc[3]));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out + k), _mm_packus_epi16(low, high));
  }
  for (; k < width; ++k) out[k] = ColumnMeanAt(rows, weights, taps, weightSum, k);
}

constexpr CSmoothingRowRoutines kAvx2 = {
    .rowMeans = RowMeans,
    .columnMeans = ColumnMeans,
};

}  // namespace

const CSmoothingRowRoutines* BuiltAvx2SmoothingRowRoutines() noexcept { return &kAvx2; }
#else
const CSmoothingRowRoutines* BuiltAvx2SmoothingRowRoutines() noexcept { return nullptr; }
#endif

}  // namespace tamrovi
