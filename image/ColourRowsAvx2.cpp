// The colour-row routines on 256-bit vectors, 32 pixels at a time; the pixels
// of a row that do not fill a block go through the plain forms.
#include "image/ColourLanesAvx2.h"
#include "image/ColourRows.h"

namespace tamrovi {

#if defined(TAMROVI_HAVE_AVX2_CODE)
namespace {

using avx2::kBlockPixels;

TAMROVI_TARGET_AVX2 void GrayLevels(const std::uint8_t* bgr, std::int32_t width, std::uint8_t* gray) noexcept {
  std::int32_t k = 0;
  for (; k + kBlockPixels <= width; k += kBlockPixels) {
    const avx2::ChannelSums sums = avx2::SumChannels(avx2::LoadPixels(bgr + 3 * k));
    const __m256i levels = avx2::PackPixels(avx2::DivideLanesByThree(sums.low), avx2::DivideLanesByThree(sums.high));
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(gray + k), levels);
  }
  PlainColourRowRoutines().grayLevels(bgr + 3 * k, width - k, gray + k);
}

// thirds = sum - 3 * gray is 0 to 2, so it comes out right in 16-bit lanes
// and packs to bytes unchanged.
TAMROVI_TARGET_AVX2 void GrayLevelsAndThirds(const std::uint8_t* bgr, std::int32_t width, std::uint8_t* gray,
                                             std::uint8_t* thirds) noexcept {
  std::int32_t k = 0;
  for (; k + kBlockPixels <= width; k += kBlockPixels) {
    const avx2::ChannelSums sums = avx2::SumChannels(avx2::LoadPixels(bgr + 3 * k));
    const __m256i low = avx2::DivideLanesByThree(sums.low), high = avx2::DivideLanesByThree(sums.high);
    const __m256i three = _mm256_set1_epi16(3);
    const __m256i lowThirds = _mm256_sub_epi16(sums.low, _mm256_mullo_epi16(low, three));
    const __m256i highThirds = _mm256_sub_epi16(sums.high, _mm256_mullo_epi16(high, three));
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(gray + k), avx2::PackPixels(low, high));
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(thirds + k), avx2::PackPixels(lowThirds, highThirds));
  }
  PlainColourRowRoutines().grayLevelsAndThirds(bgr + 3 * k, width - k, gray + k, thirds + k);
}

TAMROVI_TARGET_AVX2 void SpreadLevels(const std::uint8_t* levels, std::int32_t width, std::uint8_t* bgr) noexcept {
  std::int32_t k = 0;
  for (; k + kBlockPixels <= width; k += kBlockPixels) {
    const __m256i perPixel = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(levels + k));
    avx2::StorePixels(bgr + 3 * k, avx2::SpreadBytes(perPixel));
  }
  PlainColourRowRoutines().spreadLevels(levels + k, width - k, bgr + 3 * k);
}

// The bits of `levels` where `where` has them set, of `bytes` elsewhere.
TAMROVI_AVX2_INLINE __m256i Select(__m256i bytes, __m256i levels, __m256i where) {
  return _mm256_or_si256(_mm256_andnot_si256(where, bytes), _mm256_and_si256(levels, where));
}

TAMROVI_TARGET_AVX2 void PaintWhere(std::uint8_t* bgr, std::int32_t width, const std::uint8_t* levels,
                                    const std::uint8_t* where) noexcept {
  std::int32_t k = 0;
  for (; k + kBlockPixels <= width; k += kBlockPixels) {
    const avx2::PixelBlock paint = avx2::SpreadBytes(_mm256_loadu_si256(reinterpret_cast<const __m256i*>(levels + k)));
    const avx2::PixelBlock marked = avx2::SpreadBytes(_mm256_loadu_si256(reinterpret_cast<const __m256i*>(where + k)));
    avx2::PixelBlock pixels = avx2::LoadPixels(bgr + 3 * k);
    pixels.a = Select(pixels.a, paint.a, marked.a);
    pixels.b = Select(pixels.b, paint.b, marked.b);
    pixels.c = Select(pixels.c, paint.c, marked.c);
    avx2::StorePixels(bgr + 3 * k, pixels);
  }
  PlainColourRowRoutines().paintWhere(bgr + 3 * k, width - k, levels + k, where + k);
}

TAMROVI_TARGET_AVX2 void PaintBytesWhere(std::uint8_t* bytes, std::int32_t width, const std::uint8_t* levels,
                                         const std::uint8_t* where) noexcept {
  std::int32_t k = 0;
  for (; k + kBlockPixels <= width; k += kBlockPixels) {
    const __m256i values = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(bytes + k));
    const __m256i paint = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(levels + k));
    const __m256i marked = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(where + k));
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(bytes + k), Select(values, paint, marked));
  }
  PlainColourRowRoutines().paintBytesWhere(bytes + k, width - k, levels + k, where + k);
}

TAMROVI_TARGET_AVX2 void TakeChannel(const std::uint8_t* bgr, std::int32_t width, std::int32_t channel,
                                     std::uint8_t* bytes) noexcept {
  std::int32_t k = 0;
  for (; k + kBlockPixels <= width; k += kBlockPixels) {
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(bytes + k), avx2::TakeChannel(avx2::LoadPixels(bgr + 3 * k), channel));
  }
  PlainColourRowRoutines().takeChannel(bgr + 3 * k, width - k, channel, bytes + k);
}

TAMROVI_TARGET_AVX2 void PutChannel(std::uint8_t* bgr, std::int32_t width, std::int32_t channel,
                                    const std::uint8_t* bytes) noexcept {
  std::int32_t k = 0;
  for (; k + kBlockPixels <= width; k += kBlockPixels) {
    const __m256i perPixel = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(bytes + k));
    avx2::StorePixels(bgr + 3 * k, avx2::PutChannel(avx2::LoadPixels(bgr + 3 * k), channel, perPixel));
  }
  PlainColourRowRoutines().putChannel(bgr + 3 * k, width - k, channel, bytes + k);
}

constexpr CColourRowRoutines kAvx2 = {
    .grayLevels = GrayLevels,
    .grayLevelsAndThirds = GrayLevelsAndThirds,
    .spreadLevels = SpreadLevels,
    .paintWhere = PaintWhere,
    .paintBytesWhere = PaintBytesWhere,
    .takeChannel = TakeChannel,
    .putChannel = PutChannel,
};

}  // namespace

const CColourRowRoutines* BuiltAvx2ColourRowRoutines() noexcept { return &kAvx2; }
#else
const CColourRowRoutines* BuiltAvx2ColourRowRoutines() noexcept { return nullptr; }
#endif

}  // namespace tamrovi
