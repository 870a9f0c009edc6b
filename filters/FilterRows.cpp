#include "filters/FilterRows.h"

#include <algorithm>

#include "image/Gray3.h"
#include "platform/CpuFeatures.h"

namespace tamrovi {
namespace {

std::uint8_t Lightest(std::uint8_t a, std::uint8_t b, std::uint8_t c) { return std::max(std::max(a, b), c); }

void LightestAcross(const std::uint8_t* gray, std::int32_t width, std::uint8_t* lightest) noexcept {
  for (std::int32_t k = 1; k + 1 < width; ++k) lightest[k] = Lightest(gray[k - 1], gray[k], gray[k + 1]);
}

// (byte | inside) & dark: 0 where the byte is light, 255 where its whole
// neighbourhood is dark, the byte itself otherwise. Written without a branch,
// so that a compiler can run the loop many bytes at a time.
void OutlineBytes(const std::uint8_t* above, const std::uint8_t* here, const std::uint8_t* belowGray,
                  std::int32_t width, std::uint8_t* below, std::uint8_t* bytes) noexcept {
  LightestAcross(belowGray, width, below);
  for (std::int32_t k = 1; k + 1 < width; ++k) {
    const std::uint8_t inside = Lightest(above[k], here[k], below[k]) <= kDarkestLight ? kWhite : kBlack;
    const std::uint8_t dark = bytes[k] <= kDarkestLight ? kWhite : kBlack;
    bytes[k] = static_cast<std::uint8_t>((bytes[k] | inside) & dark);
  }
}

void OutlineMasks(const std::uint8_t* above, const std::uint8_t* here, const std::uint8_t* below,
                  const std::uint8_t* gray, std::int32_t width, std::uint8_t* set, std::uint8_t* keep) noexcept {
  for (std::int32_t k = 1; k + 1 < width; ++k) {
    set[k] = Lightest(above[k], here[k], below[k]) <= kDarkestLight ? kWhite : kBlack;
    keep[k] = gray[k] <= kDarkestLight ? kWhite : kBlack;
  }
}

void RobertsEdges(const std::uint8_t* upper, const std::uint8_t* lower, std::int32_t width,
                  std::uint8_t* levels) noexcept {
  for (std::int32_t k = 0; k + 1 < width; ++k) {
    const int a = upper[k] - lower[k + 1];
    const int b = upper[k + 1] - lower[k];
    levels[k] = a * a + b * b >= kEdgeMagnitudeSquared ? kBlack : kWhite;
  }
}

void LaplaceOfBytes(const std::uint8_t* up, const std::uint8_t* centre, const std::uint8_t* down, std::int32_t width,
                    std::uint8_t* levels) noexcept {
  for (std::int32_t k = 1; k + 1 < width; ++k) {
    const int value = up[k] + down[k] + centre[k - 1] + centre[k + 1] - 4 * centre[k];
    levels[k] = value > 0 ? kWhite : kBlack;
  }
}

// The centre term scales the channel sum before the division by 3, so it is
// not always 4 * Gray3: (2, 0, 0) gives 2 where its Gray3 is 0.
void GrayAndCentreTerms(const std::uint16_t* sums, std::int32_t width, std::uint8_t* gray,
                        std::uint16_t* terms) noexcept {
  for (std::int32_t k = 0; k < width; ++k) {
    gray[k] = static_cast<std::uint8_t>(DivideByThree(sums[k]));
    terms[k] = static_cast<std::uint16_t>(DivideByThree(4 * sums[k]));
  }
}

void LaplaceOfGrays(const std::uint8_t* up, const std::uint8_t* centre, const std::uint8_t* down,
                    const std::uint16_t* terms, std::int32_t width, std::uint8_t* levels) noexcept {
  for (std::int32_t k = 1; k + 1 < width; ++k) {
    const int value = up[k] + down[k] + centre[k - 1] + centre[k + 1] - terms[k];
    levels[k] = value > 0 ? kWhite : kBlack;
  }
}

void WhitenDarkBytes(std::uint8_t* bytes, std::int32_t width) noexcept {
  for (std::int32_t k = 0; k < width; ++k) bytes[k] = bytes[k] < kDarkLevels ? kWhite : bytes[k];
}

// Gray3 < 16 exactly when the channel sum is below 48: no division needed.
void WhitenDarkPixels(std::uint8_t* bgr, std::int32_t width) noexcept {
  for (std::int32_t k = 0; k < width; ++k, bgr += 3) {
    const bool dark = bgr[0] + bgr[1] + bgr[2] < 3 * kDarkLevels;
    for (int byte = 0; byte < 3; ++byte) bgr[byte] = dark ? kWhite : bgr[byte];
  }
}

constexpr CFilterRowRoutines kPlain = {
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

// Defined in FilterRowsAvx2.cpp: the AVX2 forms as built, or null.
const CFilterRowRoutines* BuiltAvx2FilterRowRoutines() noexcept;

using CForms = CRoutineForms<CFilterRowRoutines, kPlain, BuiltAvx2FilterRowRoutines>;

const CFilterRowRoutines& PlainFilterRowRoutines() noexcept { return CForms::Plain(); }
const CFilterRowRoutines* Avx2FilterRowRoutines() noexcept { return CForms::Avx2(); }
const CFilterRowRoutines& FilterRowRoutines() noexcept { return CForms::Fastest(); }

}  // namespace tamrovi
