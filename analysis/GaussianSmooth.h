// Smoothing a picture with a Gaussian, as a pass along the rows and a pass
// along the columns.
#pragma once

#include <cstdint>

#include "image/BmpImage.h"

namespace tamrovi {

// The largest standard deviation accepted, in pixels. Its kernel of 600001
// weights (4.8 MB) is already some 18 times wider than the widest picture
// (kMaxWidth columns), across which its weights then differ by less than 6%:
// a larger sigma could only flatten a picture a little further. The bound
// also keeps the kernel's size far inside 32 bits.
inline constexpr double kMaxSigma = 100000.0;

// The smallest standard deviation accepted. The weights divide by
// 2 sigma^2, which loses precision below about 1e-154 and becomes 0 below
// about 1.5e-162, making the centre weight 0 / 0. Nothing is lost by the
// bound: below about 0.027 every weight but the centre one is 0 already.
inline constexpr double kMinSigma = 1e-150;

// True for a sigma from kMinSigma to kMaxSigma (so neither a NaN nor an
// infinity).
bool IsUsableSigma(double sigma) noexcept;

// Builds the weights of a Gaussian of standard deviation `sigma`: `count` is
// set to n = 2 * ceil(3 * sigma) + 1 and `table` to n doubles, entry t the
// weight of offset t - n / 2, symmetric and normalised to add up to 1. The
// caller releases `table` with ReleaseBlock. When sigma is not usable or
// memory runs out, `table` is set to null and `count` to 0.
void MakeGaussianKernel(double sigma, double*& table, std::int32_t& count) noexcept;

// Smooths the picture with a Gaussian of standard deviation `sigma`. Each
// pass replaces a sample by the weighted mean of the samples around it along
// its row (then its column); weights that fall outside the picture are left
// out of the mean. The row pass keeps its results as doubles, the column
// pass truncates its means to whole bytes. A picture of gray bytes is
// smoothed on its gray levels; a colour picture on its colour rows, blue,
// green and red each as a plane of its own, which for a gray picture gives
// the same levels. Padding bytes
// are never touched.
// Returns 1 when the picture was smoothed, 0 when it was left as it was: an
// empty object, an unusable sigma, or memory that ran out.
int GaussianSmooth(CBmpImage& image, double sigma) noexcept;

}  // namespace tamrovi
