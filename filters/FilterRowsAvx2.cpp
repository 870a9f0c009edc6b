// The filters' row routines on 256-bit vectors, 32 pixels at a time. The
// columns of a row that do not fill a block go through the plain forms, handed
// the rest of the row as a row of its own.
#include "filters/FilterRows.h"
#include "image/ColourLanesAvx2.h"

namespace tamrovi {

#if defined(TAMROVI_HAVE_AVX2_CODE)
namespace {

using avx2::kBlockPixels;

TAMROVI_AVX2_INLINE __m256i Load(const std::uint8_t* bytes) {
  return _mm256_loadu_si256(reinterpret_cast<const __m256i*>(bytes));
}

TAMROVI_AVX2_INLINE void Store(std::uint8_t* bytes, __m256i value) {
  _mm256_storeu_si256(reinterpret_cast<__m256i*>(bytes), value);
}

// 255 in each byte where a <= b (unsigned), else 0.
TAMROVI_AVX2_INLINE __m256i AtMost(__m256i a, __m256i b) { return _mm256_cmpeq_epi8(_mm256_min_epu8(a, b), a); }

TAMROVI_AVX2_INLINE __m256i Invert(__m256i mask) { return _mm256_xor_si256(mask, _mm256_set1_epi8(-1)); }

// |a - b| of unsigned bytes.
TAMROVI_AVX2_INLINE __m256i Distance(__m256i a, __m256i b) {
  return _mm256_or_si256(_mm256_subs_epu8(a, b), _mm256_subs_epu8(b, a));
}

// The largest of the bytes at k - 1, k and k + 1.
TAMROVI_AVX2_INLINE __m256i LightestOfThree(const std::uint8_t* gray) {
  return _mm256_max_epu8(_mm256_max_epu8(Load(gray - 1), Load(gray)), Load(gray + 1));
}

TAMROVI_TARGET_AVX2 void LightestAcross(const std::uint8_t* gray, std::int32_t width,
                                        std::uint8_t* lightest) noexcept {
  std::int32_t k = 1;
  for (; k + kBlockPixels + 1 <= width; k += kBlockPixels) {
    Store(lightest + k, LightestOfThree(gray + k));
  }
  PlainFilterRowRoutines().lightestAcross(gray + k - 1, width - (k - 1), lightest + k - 1);
}

// A level becomes (level | inside) & dark: 0 where it is light, 255 inside a
// dark region, itself otherwise. The row below's lightest levels are made and
// used in the same turn.
TAMROVI_TARGET_AVX2 void Outline(const std::uint8_t* above, const std::uint8_t* here, const std::uint8_t* belowGray,
                                 std::int32_t width, std::uint8_t* below, std::uint8_t* levels,
                                 std::uint8_t* changed) noexcept {
  const __m256i darkestLight = _mm256_set1_epi8(static_cast<char>(kDarkestLight));
  std::int32_t k = 1;
  for (; k + kBlockPixels + 1 <= width; k += kBlockPixels) {
    const __m256i lightestBelow = LightestOfThree(belowGray + k);
    Store(below + k, lightestBelow);
    const __m256i lightest = _mm256_max_epu8(_mm256_max_epu8(Load(above + k), Load(here + k)), lightestBelow);
    const __m256i inside = AtMost(lightest, darkestLight);
    const __m256i values = Load(levels + k);
    const __m256i dark = AtMost(values, darkestLight);
    Store(levels + k, _mm256_and_si256(_mm256_or_si256(values, inside), dark));
    Store(changed + k, _mm256_or_si256(inside, Invert(dark)));
  }
  PlainFilterRowRoutines().outline(above + k - 1, here + k - 1, belowGray + k - 1, width - (k - 1), below + k - 1,
                                   levels + k - 1, changed + k - 1);
}

// Only whether a*a + b*b reaches 2500 matters, and it does whenever |a| or
// |b| alone reaches 50; capping both at 50 keeps that answer and makes the
// squares small enough for a 16-bit multiply-add of bytes (at most 5000, and
// bytes below 128, which the multiply-add takes as signed).
TAMROVI_TARGET_AVX2 void RobertsEdges(const std::uint8_t* upper, const std::uint8_t* lower, std::int32_t width,
                                      std::uint8_t* levels) noexcept {
  const __m256i cap = _mm256_set1_epi8(kEdgeMagnitude);
  const __m256i belowEdge = _mm256_set1_epi16(kEdgeMagnitudeSquared - 1);
  std::int32_t k = 0;
  for (; k + kBlockPixels + 1 <= width; k += kBlockPixels) {
    const __m256i a = _mm256_min_epu8(Distance(Load(upper + k), Load(lower + k + 1)), cap);
    const __m256i b = _mm256_min_epu8(Distance(Load(upper + k + 1), Load(lower + k)), cap);
    // Each 16-bit lane holds one pixel's a and b; multiplied by themselves and
    // added, they give a*a + b*b. The pack puts the pixels back in order.
    const __m256i low = _mm256_unpacklo_epi8(a, b);
    const __m256i high = _mm256_unpackhi_epi8(a, b);
    const __m256i edgeLow = _mm256_cmpgt_epi16(_mm256_maddubs_epi16(low, low), belowEdge);
    const __m256i edgeHigh = _mm256_cmpgt_epi16(_mm256_maddubs_epi16(high, high), belowEdge);
    Store(levels + k, Invert(_mm256_packs_epi16(edgeLow, edgeHigh)));
  }
  PlainFilterRowRoutines().robertsEdges(upper + k, lower + k, width - k, levels + k);
}

// The test S > 4c + t, with S = up + down + left + right (up to 1020), in
// bytes. As c is whole, it holds exactly when ceil((S - t) / 4) > c. The
// vector average of two bytes rounds half up, so
// Q = avg(avg(up, down), avg(left, right)) is S/4 plus (e1 + e2)/2 + e3, where
// e1, e2 and e3 are the halves added when up + down, left + right and the two
// averages' sum are odd. Unless all three are odd, Q lies in [S/4, S/4 + 1)
// and is ceil(S/4); when all three are odd it is S/4 + 1 exactly (S is then a
// multiple of 4), one too many. With s = S mod 4, the last two bits of a byte
// sum however it wraps, ceil((S - t) / 4) is ceil(S/4) less 1 where
// 0 < s <= t (t is 0 to 2), and that never meets the all-odd case (s = 0).
TAMROVI_TARGET_AVX2 void Laplace(const std::uint8_t* up, const std::uint8_t* centre, const std::uint8_t* down,
                                 const std::uint8_t* thirds, std::int32_t width, std::uint8_t* levels) noexcept {
  const __m256i one = _mm256_set1_epi8(1);
  const __m256i lastTwoBits = _mm256_set1_epi8(3);
  std::int32_t k = 1;
  for (; k + kBlockPixels + 1 <= width; k += kBlockPixels) {
    const __m256i upper = Load(up + k), lower = Load(down + k);
    const __m256i left = Load(centre + k - 1), right = Load(centre + k + 1);
    const __m256i vertical = _mm256_avg_epu8(upper, lower);
    const __m256i horizontal = _mm256_avg_epu8(left, right);
    const __m256i allOdd = _mm256_and_si256(
        _mm256_and_si256(_mm256_xor_si256(upper, lower), _mm256_xor_si256(left, right)),
        _mm256_and_si256(_mm256_xor_si256(vertical, horizontal), one));
    const __m256i rest = _mm256_and_si256(
        _mm256_add_epi8(_mm256_add_epi8(upper, lower), _mm256_add_epi8(left, right)), lastTwoBits);
    const __m256i whole = _mm256_or_si256(_mm256_cmpeq_epi8(rest, _mm256_setzero_si256()),
                                          _mm256_cmpgt_epi8(rest, Load(thirds + k)));
    const __m256i less = _mm256_or_si256(allOdd, _mm256_andnot_si256(whole, one));
    const __m256i quarter = _mm256_sub_epi8(_mm256_avg_epu8(vertical, horizontal), less);
    Store(levels + k, Invert(AtMost(quarter, Load(centre + k))));
  }
  PlainFilterRowRoutines().laplace(up + k - 1, centre + k - 1, down + k - 1, thirds + k - 1, width - (k - 1),
                                   levels + k - 1);
}

// Marks are written only when some pixel is dark: most spans have none, and
// are then only read.
TAMROVI_TARGET_AVX2 bool DarkMarks(const std::uint8_t* gray, std::int32_t width, std::uint8_t* marks) noexcept {
  const __m256i lightestDark = _mm256_set1_epi8(kDarkLevels - 1);
  __m256i any = _mm256_setzero_si256();
  std::int32_t k = 0;
  for (; k + kBlockPixels <= width; k += kBlockPixels) any = _mm256_or_si256(any, AtMost(Load(gray + k), lightestDark));
  bool dark = !_mm256_testz_si256(any, any);
  for (std::int32_t rest = k; rest < width && !dark; ++rest) dark = gray[rest] < kDarkLevels;
  if (!dark) return false;
  for (k = 0; k + kBlockPixels <= width; k += kBlockPixels) Store(marks + k, AtMost(Load(gray + k), lightestDark));
  for (; k < width; ++k) marks[k] = gray[k] < kDarkLevels ? kWhite : kBlack;
  return true;
}

constexpr CFilterRowRoutines kAvx2 = {
    .lightestAcross = LightestAcross,
    .outline = Outline,
    .robertsEdges = RobertsEdges,
    .laplace = Laplace,
    .darkMarks = DarkMarks,
};

}  // namespace

const CFilterRowRoutines* BuiltAvx2FilterRowRoutines() noexcept { return &kAvx2; }
#else
const CFilterRowRoutines* BuiltAvx2FilterRowRoutines() noexcept { return nullptr; }
#endif

}  // namespace tamrovi
