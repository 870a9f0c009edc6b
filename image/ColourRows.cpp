#include "image/ColourRows.h"

#include "image/Gray3.h"
#include "platform/CpuFeatures.h"

namespace tamrovi {
namespace {

void GrayLevels(const std::uint8_t* bgr, std::int32_t width, std::uint8_t* gray) noexcept {
  for (std::int32_t k = 0; k < width; ++k, bgr += 3) gray[k] = static_cast<std::uint8_t>(Gray3(bgr));
}

void GrayLevelsAndThirds(const std::uint8_t* bgr, std::int32_t width, std::uint8_t* gray,
                         std::uint8_t* thirds) noexcept {
  for (std::int32_t k = 0; k < width; ++k, bgr += 3) {
    const int sum = bgr[0] + bgr[1] + bgr[2];
    gray[k] = static_cast<std::uint8_t>(DivideByThree(sum));
    thirds[k] = static_cast<std::uint8_t>(sum - 3 * gray[k]);
  }
}

void SpreadLevels(const std::uint8_t* levels, std::int32_t width, std::uint8_t* bgr) noexcept {
  for (std::int32_t k = 0; k < width; ++k, bgr += 3) bgr[0] = bgr[1] = bgr[2] = levels[k];
}

std::uint8_t Select(std::uint8_t byte, std::uint8_t level, std::uint8_t where) {
  return static_cast<std::uint8_t>((byte & ~where) | (level & where));
}

void PaintWhere(std::uint8_t* bgr, std::int32_t width, const std::uint8_t* levels, const std::uint8_t* where) noexcept {
  for (std::int32_t k = 0; k < width; ++k, bgr += 3) {
    for (int byte = 0; byte < 3; ++byte) bgr[byte] = Select(bgr[byte], levels[k], where[k]);
  }
}

void PaintBytesWhere(std::uint8_t* bytes, std::int32_t width, const std::uint8_t* levels,
                     const std::uint8_t* where) noexcept {
  for (std::int32_t k = 0; k < width; ++k) bytes[k] = Select(bytes[k], levels[k], where[k]);
}

void TakeChannel(const std::uint8_t* bgr, std::int32_t width, std::int32_t channel, std::uint8_t* bytes) noexcept {
  for (std::int32_t k = 0; k < width; ++k) bytes[k] = bgr[3 * k + channel];
}

void PutChannel(std::uint8_t* bgr, std::int32_t width, std::int32_t channel, const std::uint8_t* bytes) noexcept {
  for (std::int32_t k = 0; k < width; ++k) bgr[3 * k + channel] = bytes[k];
}

constexpr CColourRowRoutines kPlain = {
    .grayLevels = GrayLevels,
    .grayLevelsAndThirds = GrayLevelsAndThirds,
    .spreadLevels = SpreadLevels,
    .paintWhere = PaintWhere,
    .paintBytesWhere = PaintBytesWhere,
    .takeChannel = TakeChannel,
    .putChannel = PutChannel,
};

}  // namespace

// Defined in ColourRowsAvx2.cpp when AVX2 code is built.
const CColourRowRoutines* BuiltAvx2ColourRowRoutines() noexcept;

using CForms = CRoutineForms<CColourRowRoutines, kPlain, BuiltAvx2ColourRowRoutines>;

const CColourRowRoutines& PlainColourRowRoutines() noexcept { return CForms::Plain(); }
const CColourRowRoutines* Avx2ColourRowRoutines() noexcept { return CForms::Avx2(); }
const CColourRowRoutines& ColourRowRoutines() noexcept { return CForms::Fastest(); }

}  // namespace tamrovi
