#include "support/ReferenceSmooth.h"

#include <cmath>

namespace bmptest {

std::vector<std::uint8_t> ReferenceSmooth(std::vector<std::uint8_t> plane, int width, int height, double sigma) {
  const int n = static_cast<int>(std::ceil(sigma * 3.0) * 2.0 + 1.0), half = n / 2;
  std::vector<double> kernel(static_cast<std::size_t>(n)), work(plane.size());
  double sum = 0.0;
  for (int i = 0; i < n; ++i) {
    kernel[i] = std::exp(-double((i - half) * (i - half)) / (2.0 * sigma * sigma)) / (std::sqrt(6.28318) * sigma);
    sum = sum + kernel[i];
  }
  const double r = 1.0 / sum;
  for (double& weight : kernel) weight = weight * r;
  for (int i = 0; i < height; ++i) {
    for (int k = 0; k < width; ++k) {
      double acc = 0.0, wsum = 0.0;
      for (int j = -half; j <= half; ++j) {
        if (k + j < 0 || k + j >= width) continue;
        acc = acc + double(plane[i * width + k + j]) * kernel[j + half];
        wsum = wsum + kernel[j + half];
      }
      work[i * width + k] = acc / wsum;
    }
  }
  for (int k = 0; k < width; ++k) {
    for (int i = 0; i < height; ++i) {
      double acc = 0.0, wsum = 0.0;
      for (int j = -half; j <= half; ++j) {
        if (i + j < 0 || i + j >= height) continue;
        acc = acc + work[(i + j) * width + k] * kernel[j + half];
        wsum = wsum + kernel[j + half];
      }
      plane[i * width + k] = static_cast<std::uint8_t>(acc / wsum);
    }
  }
  return plane;
}

}  // namespace bmptest
