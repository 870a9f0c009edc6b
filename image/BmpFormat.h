// The parts of the BMP file format the reader and writers share: header
// sizes, field offsets and little-endian access to bytes in memory.
#pragma once

#include <cstdint>

namespace tamrovi::bmp {

inline constexpr std::uint16_t kSignature = 0x4D42;  // the letters B, M
inline constexpr std::int32_t kFileHeaderSize = 14;
inline constexpr std::int32_t kInfoHeaderSize = 40;
inline constexpr std::int32_t kHeadersSize = kFileHeaderSize + kInfoHeaderSize;
inline constexpr std::uint32_t kCompressionNone = 0;

// Field offsets inside the 14-byte file header.
inline constexpr int kFileType = 0;
inline constexpr int kFileSize = 2;
inline constexpr int kFilePixelOffset = 10;

// Field offsets inside the info header.
inline constexpr int kInfoSize = 0;
inline constexpr int kInfoWidth = 4;
inline constexpr int kInfoHeight = 8;
inline constexpr int kInfoPlanes = 12;
inline constexpr int kInfoBitCount = 14;
inline constexpr int kInfoCompression = 16;
inline constexpr int kInfoImageSize = 20;
inline constexpr int kInfoColoursUsed = 32;
inline constexpr int kInfoRedMask = 40;  // headers of 52 bytes or more
inline constexpr int kInfoGreenMask = 44;
inline constexpr int kInfoBlueMask = 48;
inline constexpr int kInfoAlphaMask = 52;  // headers of 56 bytes or more

// Field offsets inside the 12-byte OS/2 1.x header: 16-bit width and height.
inline constexpr int kCoreWidth = 4;
inline constexpr int kCoreHeight = 6;
inline constexpr int kCoreBitCount = 10;

// One colour-table entry as the file stores it.
struct RgbQuad {
  std::uint8_t blue;
  std::uint8_t green;
  std::uint8_t red;
  std::uint8_t reserved;
};
static_assert(sizeof(RgbQuad) == 4);

// Bytes in a stored row of `width` pixels of `bitsPerPixel` bits: every row
// is padded to a multiple of 4 bytes.
constexpr std::int64_t RowStride(std::int64_t width, int bitsPerPixel) {
  return (width * bitsPerPixel + 31) / 32 * 4;
}

inline std::uint16_t ReadU16(const std::uint8_t* p) {
  return static_cast<std::uint16_t>(p[0] | (p[1] << 8));
}
inline std::uint32_t ReadU32(const std::uint8_t* p) {
  return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
         (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}
inline std::int32_t ReadS32(const std::uint8_t* p) { return static_cast<std::int32_t>(ReadU32(p)); }

inline void WriteU16(std::uint8_t* p, std::uint32_t value) {
  p[0] = static_cast<std::uint8_t>(value);
  p[1] = static_cast<std::uint8_t>(value >> 8);
}
inline void WriteU32(std::uint8_t* p, std::uint32_t value) {
  WriteU16(p, value);
  WriteU16(p + 2, value >> 16);
}

}  // namespace tamrovi::bmp
