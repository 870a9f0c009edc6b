// The arithmetic here is fixed to the last bit: every weight and every mean
// is computed in doubles, in the order written, with each multiply and add
// rounded on its own (the build turns off fused multiply-add). Changing the
// order of a sum, or dividing once instead of at every pixel, changes bytes.
//
// The two passes run together, row by row: the column pass writes output row
// i as soon as the row pass has smoothed rows i - half to i + half, and the
// row pass keeps only the rows the column pass still needs. A pixel's means
// are the same whichever order the pixels are visited in, so the result is
// that of a row pass over the whole picture followed by a column pass.
#include "analysis/GaussianSmooth.h"

#include <algorithm>
#include <cmath>

#include "analysis/SmoothingRows.h"
#include "image/PictureRows.h"
#include "platform/Allocation.h"

namespace tamrovi {
namespace {

// 2 pi to six figures: the weights are defined with this value, not with pi
// at full precision.
constexpr double kTwoPi = 6.28318;

std::int32_t KernelSize(double sigma) { return static_cast<std::int32_t>(std::ceil(sigma * 3.0) * 2.0 + 1.0); }

// One plane of one-byte samples: one channel of the picture's rows (the only
// one of gray bytes), taken out of each row and put back into it.
struct SamplePlane {
  const CPictureRows& picture;
  int channel;
};

// What the smoothing holds while it runs, in one block: the row pass's
// results for the rows the column pass still needs (row r in slot
// r mod m_slots), one row of samples as doubles, each column's row-pass
// weight sum, one row of bytes: a channel taken out of a colour row, and
// later the column pass's output before it is put back; and the column
// pass's table of the rows under its taps, one a slot, which on the stack
// would grow with the picture's height.
class CSmoothingWork {
 public:
  CSmoothingWork(std::int32_t width, std::int32_t height, std::int32_t kernelSize) noexcept
      : m_width(width), m_slots(std::min(kernelSize, height)) {
    m_pBlock = static_cast<double*>(
        AllocateBlock((std::int64_t{m_slots} + 3) * width * static_cast<std::int64_t>(sizeof(double)) +
                      std::int64_t{m_slots} * static_cast<std::int64_t>(sizeof(const double*))));
  }
  CSmoothingWork(const CSmoothingWork&) = delete;
  CSmoothingWork& operator=(const CSmoothingWork&) = delete;
  ~CSmoothingWork() { ReleaseBlock(m_pBlock); }

  bool IsHeld() const { return m_pBlock != nullptr; }
  double* Smoothed(std::int32_t row) const { return RowOf(row % m_slots); }
  double* Samples() const { return RowOf(m_slots); }
  double* WeightSums() const { return RowOf(m_slots + 1); }
  std::uint8_t* ChannelBytes() const { return reinterpret_cast<std::uint8_t*>(RowOf(m_slots + 2)); }
  const double** TapRows() const { return reinterpret_cast<const double**>(RowOf(m_slots + 3)); }

 private:
  double* RowOf(std::int32_t slot) const { return m_pBlock + std::int64_t{slot} * m_width; }

  std::int32_t m_width;
  std::int32_t m_slots;
  double* m_pBlock;
};

// The sum of the weights of the taps that fall inside a line of `length`
// samples around sample `at`, in increasing tap order.
double InsideWeightSum(const double* kernel, std::int32_t half, std::int32_t length, std::int32_t at) {
  const std::int32_t first = std::max(-half, -at);
  const std::int32_t last = std::min(half, length - 1 - at);
  double sum = 0.0;
  for (std::int32_t offset = first; offset <= last; ++offset) sum = sum + kernel[offset + half];
  return sum;
}

void RowPass(const SamplePlane& plane, std::int32_t row, const double* kernel, std::int32_t count,
             const CSmoothingWork& work) {
  const std::int32_t width = plane.picture.Width();
  std::uint8_t* bytes = work.ChannelBytes();
  plane.picture.TakeChannel(row, plane.channel, bytes);
  double* samples = work.Samples();
  for (std::int32_t k = 0; k < width; ++k) samples[k] = static_cast<double>(bytes[k]);
  SmoothingRowRoutines().rowMeans(samples, width, kernel, count, work.WeightSums(), work.Smoothed(row));
}

void ColumnPass(const SamplePlane& plane, std::int32_t row, const double* kernel, std::int32_t half,
                const CSmoothingWork& work) {
  const std::int32_t width = plane.picture.Width();
  const std::int32_t height = plane.picture.Height();
  const std::int32_t first = std::max(-half, -row);
  const std::int32_t last = std::min(half, height - 1 - row);
  // At most one tap per row of the picture falls inside it, and no more
  // than the kernel has: no more than there are slots.
  const double** rows = work.TapRows();
  for (std::int32_t offset = first; offset <= last; ++offset) rows[offset - first] = work.Smoothed(row + offset);
  const double weightSum = InsideWeightSum(kernel, half, height, row);
  std::uint8_t* out = work.ChannelBytes();
  SmoothingRowRoutines().columnMeans(rows, kernel + first + half, last - first + 1, weightSum, width, out);
  plane.picture.PutChannel(row, plane.channel, out);
}

// Output row i is written once rows up to i + half have been through the row
// pass; rows below i + half are read only later, and are not yet written.
void SmoothPlane(const SamplePlane& plane, const double* kernel, std::int32_t count, const CSmoothingWork& work) {
  const std::int32_t height = plane.picture.Height();
  const std::int32_t half = count / 2;
  std::int32_t smoothedRows = 0;
  for (std::int32_t row = 0; row < height; ++row) {
    for (; smoothedRows <= std::min(row + half, height - 1); ++smoothedRows) {
      RowPass(plane, smoothedRows, kernel, count, work);
    }
    ColumnPass(plane, row, kernel, half, work);
  }
}

}  // namespace

bool IsUsableSigma(double sigma) noexcept { return sigma >= kMinSigma && sigma <= kMaxSigma; }

void MakeGaussianKernel(double sigma, double*& table, std::int32_t& count) noexcept {
  table = nullptr;
  count = 0;
  if (!IsUsableSigma(sigma)) return;
  const std::int32_t n = KernelSize(sigma);
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
  const CPictureRows picture(image);
  if (picture.IsEmpty() || !IsUsableSigma(sigma)) return 0;
  const CSmoothingWork work(picture.Width(), picture.Height(), KernelSize(sigma));
  if (!work.IsHeld()) return 0;
  double* kernel = nullptr;
  std::int32_t n = 0;
  MakeGaussianKernel(sigma, kernel, n);
  if (kernel == nullptr) return 0;

  // Every row of the row pass has the same taps inside it at a given column.
  for (std::int32_t k = 0; k < picture.Width(); ++k) {
    work.WeightSums()[k] = InsideWeightSum(kernel, n / 2, picture.Width(), k);
  }
  // Each channel is a plane of its own, smoothed in turn with the same work.
  for (int channel = 0; channel < picture.PixelBytes(); ++channel) SmoothPlane({picture, channel}, kernel, n, work);
  ReleaseBlock(kernel);
  return 1;
}

}  // namespace tamrovi
