#include "OutputChecks.h"

#include "image/BmpFormat.h"
#include "image/BmpImage.h"

namespace bmptest {

std::string Check24BitFile(const Bytes& bytes) {
  using namespace tamrovi;
  if (bytes.size() < bmp::kHeadersSize) return "shorter than its headers (" + std::to_string(bytes.size()) + " bytes)";
  const std::uint8_t* info = bytes.data() + bmp::kFileHeaderSize;
  if (bmp::ReadU16(bytes.data()) != bmp::kSignature) return "no BM signature";
  if (bmp::ReadU32(bytes.data() + bmp::kFilePixelOffset) != bmp::kHeadersSize) return "pixel offset is not 54";
  if (bmp::ReadU32(info + bmp::kInfoSize) != bmp::kInfoHeaderSize) return "info header is not 40 bytes";
  if (bmp::ReadU16(info + bmp::kInfoBitCount) != 24) return "not 24-bit";
  if (bmp::ReadU32(info + bmp::kInfoCompression) != bmp::kCompressionNone) return "compressed";
  const std::int32_t width = bmp::ReadS32(info + bmp::kInfoWidth);
  const std::int32_t height = bmp::ReadS32(info + bmp::kInfoHeight);
  if (width < 0 || width > kMaxWidth || height < 0 || height > kMaxRows) return "size out of range";
  const std::int64_t imageSize = bmp::RowStride(width, 24) * height;
  if (static_cast<std::int64_t>(bytes.size()) != bmp::kHeadersSize + imageSize) {
    return "length " + std::to_string(bytes.size()) + " is not 54 + " + std::to_string(imageSize);
  }
  if (bmp::ReadU32(bytes.data() + bmp::kFileSize) != bytes.size()) return "file size field is not the length";
  if (bmp::ReadU32(info + bmp::kInfoImageSize) != imageSize) return "image size field is not the pixel bytes";
  return "";
}

}  // namespace bmptest
