// Colour pixels on 256-bit vectors: 32 pixels (96 bytes) at a time, taken
// apart into their channel sums and put back together from one byte a pixel.
//
// A vector's byte shuffles cannot cross its two 128-bit lanes, so the 96 bytes
// are loaded lane by lane: lane 0 of the three vectors holds pixels 0 to 15
// (bytes 0-47), lane 1 pixels 16 to 31 (bytes 48-95). Every pixel then lies
// inside one lane, and within a lane the byte positions of a pixel's channels
// are fixed, so fixed shuffles take them apart and put them back. Sixteen-bit
// sums come out as pixels 0-7 and 16-23 in one vector and 8-15 and 24-31 in the
// other, which is the order a pack back to bytes restores to 0-31.
#pragma once

#include "image/Gray3.h"
#include "platform/CpuFeatures.h"

#if defined(TAMROVI_HAVE_AVX2_CODE)

#include <immintrin.h>

#include <cstdint>

#define TAMROVI_AVX2_INLINE TAMROVI_TARGET_AVX2 inline __attribute__((always_inline))

namespace tamrovi::avx2 {

inline constexpr std::int32_t kBlockPixels = 32;

struct PixelBlock {
  __m256i a, b, c;  // bytes 0-15, 16-31, 32-47 of each lane's 48
};

TAMROVI_AVX2_INLINE __m256i LoadLanes(const std::uint8_t* low, const std::uint8_t* high) {
  const __m128i lowHalf = _mm_loadu_si128(reinterpret_cast<const __m128i*>(low));
  const __m128i highHalf = _mm_loadu_si128(reinterpret_cast<const __m128i*>(high));
  return _mm256_inserti128_si256(_mm256_castsi128_si256(lowHalf), highHalf, 1);
}

TAMROVI_AVX2_INLINE void StoreLanes(std::uint8_t* low, std::uint8_t* high, __m256i bytes) {
  _mm_storeu_si128(reinterpret_cast<__m128i*>(low), _mm256_castsi256_si128(bytes));
  _mm_storeu_si128(reinterpret_cast<__m128i*>(high), _mm256_extracti128_si256(bytes, 1));
}

TAMROVI_AVX2_INLINE PixelBlock LoadPixels(const std::uint8_t* bgr) {
  return {LoadLanes(bgr, bgr + 48), LoadLanes(bgr + 16, bgr + 64), LoadLanes(bgr + 32, bgr + 80)};
}

TAMROVI_AVX2_INLINE void StorePixels(std::uint8_t* bgr, const PixelBlock& block) {
  StoreLanes(bgr, bgr + 48, block.a);
  StoreLanes(bgr + 16, bgr + 64, block.b);
  StoreLanes(bgr + 32, bgr + 80, block.c);
}

// The same 16 shuffle indices in both lanes; -1 gives a zero byte.
TAMROVI_AVX2_INLINE __m256i LaneIndices(char i0, char i1, char i2, char i3, char i4, char i5, char i6, char i7,
                                        char i8, char i9, char i10, char i11, char i12, char i13, char i14,
                                        char i15) {
  return _mm256_setr_epi8(i0, i1, i2, i3, i4, i5, i6, i7, i8, i9, i10, i11, i12, i13, i14, i15,  //
                          i0, i1, i2, i3, i4, i5, i6, i7, i8, i9, i10, i11, i12, i13, i14, i15);
}

struct ChannelSums {
  __m256i low, high;  // 16-bit sums of pixels 0-7 and 16-23, and of 8-15 and 24-31
};

// Blue + green + red of each pixel. Blue and green are shuffled next to each
// other and added by a multiply-add with ones; red joins as a 16-bit lane.
TAMROVI_AVX2_INLINE ChannelSums SumChannels(const PixelBlock& block) {
  const __m256i ones = _mm256_set1_epi8(1);
  // Pixels 0-7 of a lane: bytes 0-23, in a (0-15) and b (16-23).
  const __m256i blueGreenLow = _mm256_or_si256(
      _mm256_shuffle_epi8(block.a, LaneIndices(0, 1, 3, 4, 6, 7, 9, 10, 12, 13, 15, -1, -1, -1, -1, -1)),
      _mm256_shuffle_epi8(block.b, LaneIndices(-1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, 0, 2, 3, 5, 6)));
  const __m256i redLow = _mm256_or_si256(
      _mm256_shuffle_epi8(block.a, LaneIndices(2, -1, 5, -1, 8, -1, 11, -1, 14, -1, -1, -1, -1, -1, -1, -1)),
      _mm256_shuffle_epi8(block.b, LaneIndices(-1, -1, -1, -1, -1, -1, -1, -1, -1, -1, 1, -1, 4, -1, 7, -1)));
  // Pixels 8-15: bytes 24-47, in b (24-31) and c (32-47).
  const __m256i blueGreenHigh = _mm256_or_si256(
      _mm256_shuffle_epi8(block.b, LaneIndices(8, 9, 11, 12, 14, 15, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1)),
      _mm256_shuffle_epi8(block.c, LaneIndices(-1, -1, -1, -1, -1, -1, 1, 2, 4, 5, 7, 8, 10, 11, 13, 14)));
  const __m256i redHigh = _mm256_or_si256(
      _mm256_shuffle_epi8(block.b, LaneIndices(10, -1, 13, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1)),
      _mm256_shuffle_epi8(block.c, LaneIndices(-1, -1, -1, -1, 0, -1, 3, -1, 6, -1, 9, -1, 12, -1, 15, -1)));
  return {_mm256_add_epi16(_mm256_maddubs_epi16(blueGreenLow, ones), redLow),
          _mm256_add_epi16(_mm256_maddubs_epi16(blueGreenHigh, ones), redHigh)};
}

// 16-bit values up to 32767 divided by 3, truncated, as tamrovi::DivideByThree
// does it.
TAMROVI_AVX2_INLINE __m256i DivideLanesByThree(__m256i values) {
  static_assert(kThirdShift == 16, "a multiply-high keeps the upper 16 bits");
  return _mm256_mulhi_epu16(values, _mm256_set1_epi16(static_cast<short>(kThirdMultiplier)));
}

// 32 bytes, one a pixel in pixel order, from the two halves SumChannels gives.
TAMROVI_AVX2_INLINE __m256i PackPixels(__m256i low, __m256i high) { return _mm256_packus_epi16(low, high); }

// One byte a pixel (32 of them, in pixel order) spread over the three bytes
// of each pixel, in the lane order of a PixelBlock.
TAMROVI_AVX2_INLINE PixelBlock SpreadBytes(__m256i perPixel) {
  return {_mm256_shuffle_epi8(perPixel, LaneIndices(0, 0, 0, 1, 1, 1, 2, 2, 2, 3, 3, 3, 4, 4, 4, 5)),
          _mm256_shuffle_epi8(perPixel, LaneIndices(5, 5, 6, 6, 6, 7, 7, 7, 8, 8, 8, 9, 9, 9, 10, 10)),
          _mm256_shuffle_epi8(perPixel, LaneIndices(10, 11, 11, 11, 12, 12, 12, 13, 13, 13, 14, 14, 14, 15, 15, 15))};
}

// Shuffle indices that gather byte `channel` of a lane's 16 pixels from the
// lane's 16 bytes numbered from `start` (0, 16 or 32): pixel p's byte lies at
// 3p + channel. Positions whose byte lies elsewhere get -1, a zero.
struct ChannelIndices {
  signed char take[3][3][16];  // [channel][source vector][pixel]
  signed char put[3][3][16];   // [channel][target vector][byte]: the pixel whose channel byte goes there, or -1
};

inline constexpr ChannelIndices kChannelIndices = [] {
  ChannelIndices indices{};
  for (int channel = 0; channel < 3; ++channel) {
    for (int vector = 0; vector < 3; ++vector) {
      for (int i = 0; i < 16; ++i) {
        const int byte = 3 * i + channel - 16 * vector;
        indices.take[channel][vector][i] = static_cast<signed char>(byte >= 0 && byte < 16 ? byte : -1);
        const int position = 16 * vector + i - channel;
        indices.put[channel][vector][i] = static_cast<signed char>(position % 3 == 0 ? position / 3 : -1);
      }
    }
  }
  return indices;
}();

TAMROVI_AVX2_INLINE __m256i BothLanes(const signed char (&indices)[16]) {
  return _mm256_broadcastsi128_si256(_mm_loadu_si128(reinterpret_cast<const __m128i*>(indices)));
}

// Byte `channel` of each of 32 pixels, in pixel order.
TAMROVI_AVX2_INLINE __m256i TakeChannel(const PixelBlock& block, int channel) {
  const auto& take = kChannelIndices.take[channel];
  return _mm256_or_si256(_mm256_or_si256(_mm256_shuffle_epi8(block.a, BothLanes(take[0])),
                                         _mm256_shuffle_epi8(block.b, BothLanes(take[1]))),
                         _mm256_shuffle_epi8(block.c, BothLanes(take[2])));
}

// `target` with the bytes that `indices` name a pixel for taken from that
// pixel's byte of `perPixel`; an index of -1 keeps the byte.
TAMROVI_AVX2_INLINE __m256i PutBytes(__m256i target, __m256i perPixel, const signed char (&indices)[16]) {
  const __m256i where = BothLanes(indices);
  const __m256i kept = _mm256_cmpgt_epi8(_mm256_setzero_si256(), where);
  return _mm256_blendv_epi8(_mm256_shuffle_epi8(perPixel, where), target, kept);
}

// The block with byte `channel` of each pixel replaced by `perPixel`'s byte
// (32 of them, in pixel order).
TAMROVI_AVX2_INLINE PixelBlock PutChannel(const PixelBlock& block, int channel, __m256i perPixel) {
  const auto& put = kChannelIndices.put[channel];
  return {PutBytes(block.a, perPixel, put[0]), PutBytes(block.b, perPixel, put[1]),
          PutBytes(block.c, perPixel, put[2])};
}

}  // namespace tamrovi::avx2

#endif  // TAMROVI_HAVE_AVX2_CODE
