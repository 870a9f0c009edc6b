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

// 255 where the lightest of the three rows' `lightest` is dark.
TAMROVI_AVX2_INLINE __m256i InsideDark(const std::uint8_t* above, const std::uint8_t* here, const std::uint8_t* below,
                                       __m256i darkestLight) {
  return AtMost(_mm256_max_epu8(_mm256_max_epu8(Load(above), Load(here)), Load(below)), darkestLight);
}

// A byte becomes (byte | inside) & dark: 0 where it is light, 255 inside a
// dark region, itself otherwise. The row below's lightest levels are made
// and used in the same turn.
TAMROVI_TARGET_AVX2 void OutlineBytes(const std::uint8_t* above, const std::uint8_t* here,
                                      const std::uint8_t* belowGray, std::int32_t width, std::uint8_t* below,
                                      std::uint8_t* bytes) noexcept {
  const __m256i darkestLight = _mm256_set1_epi8(static_cast<char>(kDarkestLight));
  std::int32_t k = 1;
  for (; k + kBlockPixels + 1 <= width; k += kBlockPixels) {
    const __m256i lightestBelow = LightestOfThree(belowGray + k);
    Store(below + k, lightestBelow);
    const __m256i lightest = _mm256_max_epu8(_mm256_max_epu8(Load(above + k), Load(here + k)), lightestBelow);
    const __m256i values = Load(bytes + k);
    Store(bytes + k,
          _mm256_and_si256(_mm256_or_si256(values, AtMost(lightest, darkestLight)), AtMost(values, darkestLight)));
  }
  PlainFilterRowRoutines().outlineBytes(above + k - 1, here + k - 1, belowGray + k - 1, width - (k - 1), below + k - 1,
                                        bytes + k - 1);
}

TAMROVI_TARGET_AVX2 void OutlineMasks(const std::uint8_t* above, const std::uint8_t* here, const std::uint8_t* below,
                                      const std::uint8_t* gray, std::int32_t width, std::uint8_t* set,
                                      std::uint8_t* keep) noexcept {
  const __m256i darkestLight = _mm256_set1_epi8(static_cast<char>(kDarkestLight));
  std::int32_t k = 1;
  for (; k + kBlockPixels + 1 <= width; k += kBlockPixels) {
    Store(set + k, InsideDark(above + k, here + k, below + k, darkestLight));
    Store(keep + k, AtMost(Load(gray + k), darkestLight));
  }
  PlainFilterRowRoutines().outlineMasks(above + k - 1, here + k - 1, below + k - 1, gray + k - 1, width - (k - 1),
                                        set + k - 1, keep + k - 1);
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

// The sign of S - 4c, with S = up + down + left + right, in bytes. The
// vector average of two bytes rounds half up, so T = avg(avg(up, down),
// avg(left, right)) is S/4 plus (e1 + e2)/2 + e3, where e1, e2 and e3 are
// the halves added when up + down, left + right and the two averages' sum are
// odd. Unless all three are odd, T lies in [S/4, S/4 + 1) and is ceil(S/4),
// which exceeds c exactly when S/4 does. When all three are odd, T is S/4 + 1
// exactly (S is then a multiple of 4), and T - 1 is S/4. So S > 4c exactly
// when T, less 1 where all three sums are odd, exceeds c; T - 1 is never
// below 0 there.
TAMROVI_TARGET_AVX2 void LaplaceOfBytes(const std::uint8_t* up, const std::uint8_t* centre, const std::uint8_t* down,
                                        std::int32_t width, std::uint8_t* levels) noexcept {
  const __m256i one = _mm256_set1_epi8(1);
  std::int32_t k = 1;
  for (; k + kBlockPixels + 1 <= width; k += kBlockPixels) {
    const __m256i upper = Load(up + k), lower = Load(down + k);
    const __m256i left = Load(centre + k - 1), right = Load(centre + k + 1);
    const __m256i vertical = _mm256_avg_epu8(upper, lower);
    const __m256i horizontal = _mm256_avg_epu8(left, right);
    const __m256i allOdd = _mm256_and_si256(
        _mm256_and_si256(_mm256_xor_si256(upper, lower), _mm256_xor_si256(left, right)),
        _mm256_and_si256(_mm256_xor_si256(vertical, horizontal), one));
    const __m256i quarter = _mm256_sub_epi8(_mm256_avg_epu8(vertical, horizontal), allOdd);
    Store(levels + k, Invert(AtMost(quarter, Load(centre + k))));
  }
  PlainFilterRowRoutines().laplaceOfBytes(up + k - 1, centre + k - 1, down + k - 1, width - (k - 1), levels + k - 1);
}

TAMROVI_AVX2_INLINE __m256i LoadWords(const std::uint16_t* words) {
  return _mm256_loadu_si256(reinterpret_cast<const __m256i*>(words));
}

TAMROVI_AVX2_INLINE void StoreWords(std::uint16_t* words, __m256i value) {
  _mm256_storeu_si256(reinterpret_cast<__m256i*>(words), value);
}

TAMROVI_TARGET_AVX2 void GrayAndCentreTerms(const std::uint16_t* sums, std::int32_t width, std::uint8_t* gray,
                                            std::uint16_t* terms) noexcept {
  std::int32_t k = 0;
  for (; k + kBlockPixels <= width; k += kBlockPixels) {
    const __m256i first = LoadWords(sums + k);
    const __m256i second = LoadWords(sums + k + 16);
    // A pack interleaves the lanes of its two halves; the permute restores
    // pixel order.
    const __m256i grays = _mm256_packus_epi16(avx2::DivideLanesByThree(first), avx2::DivideLanesByThree(second));
    Store(gray + k, _mm256_permute4x64_epi64(grays, 0xD8));
    StoreWords(terms + k, avx2::DivideLanesByThree(_mm256_slli_epi16(first, 2)));
    StoreWords(terms + k + 16, avx2::DivideLanesByThree(_mm256_slli_epi16(second, 2)));
  }
  PlainFilterRowRoutines().grayAndCentreTerms(sums + k, width - k, gray + k, terms + k);
}

TAMROVI_AVX2_INLINE __m256i Widen(const std::uint8_t* bytes) {
  return _mm256_cvtepu8_epi16(_mm_loadu_si128(reinterpret_cast<const __m128i*>(bytes)));
}

// Sixteen pixels of up + down + left + right - term > 0, as 16-bit masks.
TAMROVI_AVX2_INLINE __m256i Above(const std::uint8_t* up, const std::uint8_t* centre, const std::uint8_t* down,
                                  const std::uint16_t* terms) {
  const __m256i sum = _mm256_add_epi16(_mm256_add_epi16(Widen(up), Widen(down)),
                                       _mm256_add_epi16(Widen(centre - 1), Widen(centre + 1)));
  return _mm256_cmpgt_epi16(sum, LoadWords(terms));
}

TAMROVI_TARGET_AVX2 void LaplaceOfGrays(const std::uint8_t* up, const std::uint8_t* centre, const std::uint8_t* down,
                                        const std::uint16_t* terms, std::int32_t width, std::uint8_t* levels) noexcept {
  std::int32_t k = 1;
  for (; k + kBlockPixels + 1 <= width; k += kBlockPixels) {
    const __m256i first = Above(up + k, centre + k, down + k, terms + k);
    const __m256i second = Above(up + k + 16, centre + k + 16, down + k + 16, terms + k + 16);
    Store(levels + k, _mm256_permute4x64_epi64(_mm256_packs_epi16(first, second), 0xD8));
  }
  PlainFilterRowRoutines().laplaceOfGrays(up + k - 1, centre + k - 1, down + k - 1, terms + k - 1, width - (k - 1),
                                          levels + k - 1);
}

TAMROVI_TARGET_AVX2 void WhitenDarkBytes(std::uint8_t* bytes, std::int32_t width) noexcept {
  const __m256i lightestDark = _mm256_set1_epi8(kDarkLevels - 1);
  std::int32_t k = 0;
  for (; k + kBlockPixels <= width; k += kBlockPixels) {
    const __m256i values = Load(bytes + k);
    const __m256i dark = AtMost(values, lightestDark);
    // A block without a dark pixel is left unwritten: most are, and memory
    // written back costs as much again as memory read, on a large picture.
    if (!_mm256_testz_si256(dark, dark)) Store(bytes + k, _mm256_or_si256(values, dark));
  }
  PlainFilterRowRoutines().whitenDarkBytes(bytes + k, width - k);
}

// Gray3 < 16 exactly when the channel sum is below 48.
TAMROVI_TARGET_AVX2 void WhitenDarkPixels(std::uint8_t* bgr, std::int32_t width) noexcept {
  const __m256i darkSums = _mm256_set1_epi16(3 * kDarkLevels);
  std::int32_t k = 0;
  for (; k + kBlockPixels <= width; k += kBlockPixels) {
    avx2::PixelBlock pixels = avx2::LoadPixels(bgr + 3 * k);
    const avx2::ChannelSums sums = avx2::SumChannels(pixels);
    const __m256i dark = _mm256_packs_epi16(_mm256_cmpgt_epi16(darkSums, sums.low),
                                            _mm256_cmpgt_epi16(darkSums, sums.high));
    if (_mm256_testz_si256(dark, dark)) continue;  // left unwritten, as above
    const avx2::PixelBlock whiten = avx2::SpreadBytes(dark);
    pixels.a = _mm256_or_si256(pixels.a, whiten.a);
    pixels.b = _mm256_or_si256(pixels.b, whiten.b);
    pixels.c = _mm256_or_si256(pixels.c, whiten.c);
    avx2::StorePixels(bgr + 3 * k, pixels);
  }
  PlainFilterRowRoutines().whitenDarkPixels(bgr + 3 * k, width - k);
}

constexpr CFilterRowRoutines kAvx2 = {
    .lightestAcross = LightestAcross,
    .outlineBytes = OutlineBytes,
    .outlineMasks = OutlineMasks,
    .robertsEdges = RobertsEdges,
    .laplaceOfBytes = LaplaceOfBytes,
    .grayAndCentreTerms = GrayAndCentreTerms,
    .laplaceOfGrays = LaplaceOfGrays,
    .whitenDarkBytes = WhitenDarkBytes,
    .whitenDarkPixels = WhitenDarkPixels,
};

}  // namespace

const CFilterRowRoutines* BuiltAvx2FilterRowRoutines() noexcept { return &kAvx2; }
#else
const CFilterRowRoutines* BuiltAvx2FilterRowRoutines() noexcept { return nullptr; }
#endif

}  // namespace tamrovi
