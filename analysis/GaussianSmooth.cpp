// The arithmetic here is fixed to the last bit: every weight and every mean
// is computed in doubles, in the order written, with each multiply and add
// rounded on its own (the build turns off fused multiply-add). Changing the
// order of a sum, or dividing once instead of at every pixel, changes bytes.
#include "analysis/GaussianSmooth.h"

#include <algorithm>
#include <cmath>

#include "platform/Allocation.h"

namespace tamrovi {
namespace {

// 2 pi to six figures: the weights are defined with this value, not with pi
// at full precision.
constexpr double kTwoPi = 6.28318;

// One plane of one-byte samples: the byte plane, or one channel of the colour
// rows. Row r (0 = top) starts at Row(r); its samples lie `step` bytes apart.
struct SamplePlane {
  CBmpImage& image;
  std::int32_t channel;  // 0 blue, 1 green, 2 red; unused for the byte plane
  std::int32_t step;

  std::uint8_t* Row(std::int32_t row) const {
    return image.m_is24Bit ? image.m_rgbRows[row] + channel : image.BytePlaneRow(row);
  }
};

// A weighted mean of bytes lies in 0..255; it becomes a byte by truncation
// toward zero, so a mean just below v gives v - 1, never v.
std::uint8_t TruncateToByte(double mean) { return static_cast<std::uint8_t>(static_cast<unsigned>(mean)); }

// work[row][column] = the mean of the row's samples around `column`, as a double.
void RowPass(const SamplePlane& plane, std::int32_t width, std::int32_t height, const double* kernel,
             std::int32_t half, double* work) {
  for (std::int32_t row = 0; row < height; ++row) {
    const std::uint8_t* samples = plane.Row(row);
    for (std::int32_t column = 0; column < width; ++column) {
      // Offsets outside the row add neither a sample nor a weight, so they
      // are not visited at all.
      const std::int32_t first = std::max(-half, -column);
      const std::int32_t last = std::min(half, width - 1 - column);
      double acc = 0.0;
      double wsum = 0.0;
      for (std::int32_t offset = first; offset <= last; ++offset) {
        const double weight = kernel[offset + half];
        acc = acc + static_cast<double>(samples[(column + offset) * plane.step]) * weight;
        wsum = wsum + weight;
      }
      work[static_cast<std::int64_t>(row) * width + column] = acc / wsum;
    }
  }
}

// Each sample = the mean of the work cells around it in its column, truncated.
void ColumnPass(const SamplePlane& plane, std::int32_t width, std::int32_t height, const double* kernel,
                std::int32_t half, const double* work) {
  for (std::int32_t row = 0; row < height; ++row) {
    std::uint8_t* samples = plane.Row(row);
    const std::int32_t first = std::max(-half, -row);
    const std::int32_t last = std::min(half, height - 1 - row);
    for (std::int32_t column = 0; column < width; ++column) {
      double acc = 0.0;
      double wsum = 0.0;
      for (std::int32_t offset = first; offset <= last; ++offset) {
        const double weight = kernel[offset + half];
        acc = acc + work[static_cast<std::int64_t>(row + offset) * width + column] * weight;
        wsum = wsum + weight;
      }
      samples[column * plane.step] = TruncateToByte(acc / wsum);
    }
  }
}

void SmoothPlane(const SamplePlane& plane, const double* kernel, std::int32_t half, double* work) {
  const CBmpImage& image = plane.image;
  RowPass(plane, image.m_width, image.m_height, kernel, half, work);
  ColumnPass(plane, image.m_width, image.m_height, kernel, half, work);
}

}  // namespace

bool IsUsableSigma(double sigma) noexcept { return sigma >= kMinSigma && sigma <= kMaxSigma; }

void MakeGaussianKernel(double sigma, double*& table, std::int32_t& count) noexcept {
  table = nullptr;
  count = 0;
  if (!IsUsableSigma(sigma)) return;
  const std::int32_t n = static_cast<std::int32_t>(std::ceil(sigma * 3.0) * 2.0 + 1.0);
  auto* weights = static_cast<double*>(AllocateBlock(std::int64_t{n} * static_cast<std::int64_t>(sizeof(double))));
  if (weights == nullptr) return;

  const std::int32_t half = n / 2;
  double sum = 0.0;
  for (std::int32_t i = 0; i < n; ++i) {
    const double offset = static_cast<double>(i - half);
    weights[i] = std::exp(-(offset * offset) / (2.0 * sigma * sigma)) / (std::sqrt(kTwoPi) * sigma);
    sum = sum + weights[i];
  }
  const double scale = 1.0 / sum;
  for (std::int32_t i = 0; i < n; ++i) weights[i] = weights[i] * scale;
  table = weights;
  count = n;
}

int GaussianSmooth(CBmpImage& image, double sigma) noexcept {
  if (image.IsEmpty() || !IsUsableSigma(sigma)) return 0;
  auto* work = static_cast<double*>(
      AllocateBlock(std::int64_t{image.m_width} * image.m_height * static_cast<std::int64_t>(sizeof(double))));
  if (work == nullptr) return 0;
  double* kernel = nullptr;
  std::int32_t n = 0;
  MakeGaussianKernel(sigma, kernel, n);
  if (kernel == nullptr) {
    ReleaseBlock(work);
    return 0;
  }

  const std::int32_t half = n / 2;
  if (image.m_is24Bit) {
    // The same work table serves each channel in turn: a row pass fills every
    // cell before its column pass reads any.
    for (std::int32_t channel = 0; channel < 3; ++channel) SmoothPlane({image, channel, 3}, kernel, half, work);
  } else {
    SmoothPlane({image, 0, 1}, kernel, half, work);
  }
  ReleaseBlock(kernel);
  ReleaseBlock(work);
  return 1;
}

}  // namespace tamrovi
