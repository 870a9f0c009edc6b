// The smoothing's work on one row at a time, in doubles.
//
// Every mean is the sum of its taps' products taken in increasing tap order,
// then divided by the sum of the same taps' weights, as the smoothing is
// defined; the forms below differ only in how many pixels they take at once,
// never in the order a pixel's own sums are formed. Every product is a byte
// or a mean of bytes times a positive weight, so never below +0, and 0.0 + p
// is p for every such p: a sum may start from its first product instead of
// from 0.0 and come out the same to the last bit.
//
// Every routine has a plain form, which runs everywhere, and where the
// processor has them a form on 256-bit vectors. They give the same bits (the
// tests check it); SmoothingRowRoutines() hands out the fastest this
// processor runs.
#pragma once

#include <cstdint>

namespace tamrovi {

struct CSmoothingRowRoutines {
  // The row pass: means[k], for k < width, is the sum over the taps t of
  // `kernel` (count of them, centred on count / 2) whose sample
  // samples[k + t - count / 2] lies inside the row, of that sample times
  // kernel[t], divided by weightSums[k] (the sum of those taps' weights).
  void (*rowMeans)(const double* samples, std::int32_t width, const double* kernel, std::int32_t count,
                   const double* weightSums, double* means) noexcept;
  // The column pass: out[k], for k < width, is the sum over t < taps of
  // rows[t][k] * weights[t], divided by weightSum and truncated to a byte.
  void (*columnMeans)(const double* const* rows, const double* weights, std::int32_t taps, double weightSum,
                      std::int32_t width, std::uint8_t* out) noexcept;
};

// The plain forms.
const CSmoothingRowRoutines& PlainSmoothingRowRoutines() noexcept;

// The AVX2 forms, or null when they were not built or the processor lacks AVX2.
const CSmoothingRowRoutines* Avx2SmoothingRowRoutines() noexcept;

// The fastest forms this processor runs.
const CSmoothingRowRoutines& SmoothingRowRoutines() noexcept;

// One mean of the row pass, for column k: what rowMeans writes there.
inline double RowMeanAt(const double* samples, std::int32_t width, const double* kernel, std::int32_t half,
                        const double* weightSums, std::int32_t k) {
  const std::int32_t first = k < half ? -k : -half;
  const std::int32_t last = width - 1 - k < half ? width - 1 - k : half;
  double acc = samples[k + first] * kernel[first + half];
  for (std::int32_t offset = first + 1; offset <= last; ++offset) {
    acc = acc + samples[k + offset] * kernel[offset + half];
  }
  return acc / weightSums[k];
}

// One mean of the column pass, for column k: what columnMeans writes there.
// The mean lies in 0..255 (a rounding may take it a hair above 255, never to
// 256), so truncating it as a signed integer is truncating it toward zero.
inline std::uint8_t ColumnMeanAt(const double* const* rows, const double* weights, std::int32_t taps, double weightSum,
                                 std::int32_t k) {
  double acc = rows[0][k] * weights[0];
  for (std::int32_t t = 1; t < taps; ++t) acc = acc + rows[t][k] * weights[t];
  return static_cast<std::uint8_t>(static_cast<std::int32_t>(acc / weightSum));
}

}  // namespace tamrovi
