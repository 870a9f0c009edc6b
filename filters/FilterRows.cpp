#include "filters/FilterRows.h"

#include <algorithm>

#include "platform/CpuFeatures.h"

namespace tamrovi {
namespace {

std::uint8_t Lightest(std::uint8_t a, std::uint8_t b, std::uint8_t c) { return std::max(std::max(a, b), c); }

std::uint8_t Mark(bool marked) { return marked ? kWhite : kBlack; }

void LightestAcross(const std::uint8_t* gray, std::int32_t width, std::uint8_t* lightest) noexcept {
  for (std::int32_t k = 1; k + 1 < width; ++k) lightest[k] = Lightest(gray[k - 1], gray[k], gray[k + 1]);
}

// (level | inside) & dark: 0 where the level is light, 255 where its whole
// neighbourhood is dark, the level itself otherwise. Written without a
// branch, so that a compiler can run the loop many bytes at a time.
void Outline(const std::uint8_t* above, const std::uint8_t* here, const std::uint8_t* belowGray, std::int32_t width,
             std::uint8_t* below, std::uint8_t* levels, std::uint8_t* changed) noexcept {
  LightestAcross(belowGray, width, below);
  for (std::int32_t k = 1; k + 1 < width; ++k) {
    const std::uint8_t inside = Mark(Lightest(above[k], here[k], below[k]) <= kDarkestLight);
    const std::uint8_t dark = Mark(levels[k] <= kDarkestLight);
    changed[k] = static_cast<std::uint8_t>(inside | ~dark);
    levels[k] = static_cast<std::uint8_t>((levels[k] | inside) & dark);
  }
}

void RobertsEdges(const std::uint8_t* upper, const std::uint8_t* lower, std::int32_t width,
                  std::uint8_t* levels) noexcept {
  for (std::int32_t k = 0; k + 1 < width; ++k) {
    const int a = upper[k] - lower[k + 1];
    const int b = upper[k + 1] - lower[k];
    levels[k] = Mark(a * a + b * b < kEdgeMagnitudeSquared);
  }
}

void Laplace(const std::uint8_t* up, const std::uint8_t* centre, const std::uint8_t* down, const std::uint8_t* thirds,
             std::int32_t width, std::uint8_t* levels) noexcept {
  for (std::int32_t k = 1; k + 1 < width; ++k) {
    const int neighbours = up[k] + down[k] + centre[k - 1] + centre[k + 1];
    levels[k] = Mark(neighbours > 4 * centre[k] + thirds[k]);
  }
}

bool DarkMarks(const std::uint8_t* gray, std::int32_t width, std::uint8_t* marks) noexcept {
  if (std::none_of(gray, gray + width, [](std::uint8_t level) { return level < kDarkLevels; })) return false;
  for (std::int32_t k = 0; k < width; ++k) marks[k] = Mark(gray[k] < kDarkLevels);
  return true;
}

constexpr CFilterRowRoutines kPlain = {
    .lightestAcross = LightestAcross,
    .outline = Outline,
    .robertsEdges = RobertsEdges,
    .laplace = Laplace,
    .darkMarks = DarkMarks,
};

}  // namespace

// Defined in FilterRowsAvx2.cpp: the AVX2 forms as built, or null.
const CFilterRowRoutines* BuiltAvx2FilterRowRoutines() noexcept;

using CForms = CRoutineForms<CFilterRowRoutines, kPlain, BuiltAvx2FilterRowRoutines>;

const CFilterRowRoutines& PlainFilterRowRoutines() noexcept { return CForms::Plain(); }
const CFilterRowRoutines* Avx2FilterRowRoutines() noexcept { return CForms::Avx2(); }
const CFilterRowRoutines& FilterRowRoutines() noexcept { return CForms::Fastest(); }

}  // namespace tamrovi
