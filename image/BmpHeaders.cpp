#include "image/BmpHeaders.h"

#include <cstring>

namespace tamrovi::bmp {

void BuildHeaders(std::int32_t width, std::int32_t height, int bitCount, std::int32_t nColors,
                  std::uint8_t (&headers)[kHeadersSize]) noexcept {
  const std::uint32_t imageSize = static_cast<std::uint32_t>(RowStride(width, bitCount) * height);
  const std::uint32_t pixelOffset = static_cast<std::uint32_t>(kHeadersSize + 4 * nColors);
  std::memset(headers, 0, sizeof headers);
  std::uint8_t* file = headers;
  WriteU16(file + kFileType, kSignature);
  WriteU32(file + kFileSize, pixelOffset + imageSize);
  WriteU32(file + kFilePixelOffset, pixelOffset);
  std::uint8_t* info = headers + kFileHeaderSize;
  WriteU32(info + kInfoSize, kInfoHeaderSize);
  WriteU32(info + kInfoWidth, static_cast<std::uint32_t>(width));
  WriteU32(info + kInfoHeight, static_cast<std::uint32_t>(height));
  WriteU16(info + kInfoPlanes, 1);
  WriteU16(info + kInfoBitCount, static_cast<std::uint32_t>(bitCount));
  WriteU32(info + kInfoImageSize, imageSize);
}

}  // namespace tamrovi::bmp
