#include "image/BitFieldDecode.h"

#include <bit>
#include <initializer_list>

#include "image/BmpFormat.h"

namespace tamrovi::bmp {
namespace {

constexpr unsigned kChannelBits = 8;

Reason CheckMask(std::uint32_t mask, int bitCount) {
  if (mask == 0) return Reason::kEmptyMask;
  if (bitCount < 32 && (mask >> bitCount) != 0) return Reason::kMaskOutsidePixel;
  // Shifted down to bit 0, a contiguous mask is one less than a power of two.
  const std::uint32_t lowered = mask >> std::countr_zero(mask);
  if ((lowered & (lowered + 1)) != 0) return Reason::kNonContiguousMask;
  return Reason::kNone;
}

// Full intensity is 255 whatever the channel's width: each value v of an
// n-bit channel becomes v * 255 / (2^n - 1) rounded to the nearest integer
// (with 2^n - 1 odd there is never a tie).
void MakeChannel(std::uint32_t mask, ChannelField& channel) {
  const unsigned low = static_cast<unsigned>(std::countr_zero(mask));
  const unsigned width = static_cast<unsigned>(std::popcount(mask));
  const unsigned kept = width < kChannelBits ? width : kChannelBits;
  channel.shift = low + (width - kept);
  channel.valueMask = (1u << kept) - 1;
  const std::uint32_t top = channel.valueMask;
  for (std::uint32_t value = 0; value <= top; ++value) {
    channel.scale[value] = static_cast<std::uint8_t>((value * 255 + top / 2) / top);
  }
}

inline std::uint8_t ChannelValue(std::uint32_t pixel, const ChannelField& channel) {
  return channel.scale[(pixel >> channel.shift) & channel.valueMask];
}

}  // namespace

CResultOf<BitFieldLayout> MakeBitFieldLayout(const BitFieldMasks& masks, int bitCount) noexcept {
  CResultOf<BitFieldLayout> made;
  for (const std::uint32_t mask : {masks.red, masks.green, masks.blue}) {
    made.result.reason = CheckMask(mask, bitCount);
    if (!made.Ok()) return made;
  }
  if ((masks.red & masks.green) != 0 || (masks.red & masks.blue) != 0 || (masks.green & masks.blue) != 0) {
    return {{Reason::kOverlappingMasks}};
  }
  made.value.bitCount = bitCount;
  MakeChannel(masks.blue, made.value.blue);
  MakeChannel(masks.green, made.value.green);
  MakeChannel(masks.red, made.value.red);
  return made;
}

void DecodeBitFieldRow(const std::uint8_t* stored, std::int32_t width, const BitFieldLayout& layout,
                       std::uint8_t* bgr) noexcept {
  const int bytesPerPixel = layout.bitCount / 8;
  for (std::int32_t x = 0; x < width; ++x) {
    const std::uint8_t* source = stored + static_cast<std::int64_t>(x) * bytesPerPixel;
    const std::uint32_t pixel = bytesPerPixel == 2 ? ReadU16(source) : ReadU32(source);
    std::uint8_t* target = bgr + 3 * static_cast<std::int64_t>(x);
    target[0] = ChannelValue(pixel, layout.blue);
    target[1] = ChannelValue(pixel, layout.green);
    target[2] = ChannelValue(pixel, layout.red);
  }
}

}  // namespace tamrovi::bmp
