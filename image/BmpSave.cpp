// Writing the picture as an uncompressed 24-bit BMP.
#include <cstdio>
#include <cstring>

#include "image/BmpHeaders.h"
#include "image/BmpImage.h"
#include "platform/File.h"

namespace tamrovi {
namespace {

// Writes `count` bytes; false on a short write.
bool WriteBytes(std::FILE* out, const void* bytes, std::size_t count) {
  return count == 0 || std::fwrite(bytes, 1, count, out) == count;
}

// A byte-plane row in colour: each byte through the colour table when it
// names an entry, otherwise as the gray level it is. Converted in pieces so
// that writing needs no allocation.
bool WriteIndexedRow(std::FILE* out, const CBmpImage& image, const std::uint8_t* row) {
  constexpr std::int32_t kPiece = 1024;
  std::uint8_t colours[3 * kPiece];
  for (std::int32_t start = 0; start < image.m_width; start += kPiece) {
    const std::int32_t count = image.m_width - start < kPiece ? image.m_width - start : kPiece;
    for (std::int32_t k = 0; k < count; ++k) {
      const std::uint8_t index = row[start + k];
      std::uint8_t* pixel = colours + 3 * k;
      if (index < image.m_nColors) {
        const bmp::RgbQuad& entry = image.m_pColors[index];
        pixel[0] = entry.blue, pixel[1] = entry.green, pixel[2] = entry.red;
      } else {
        pixel[0] = pixel[1] = pixel[2] = index;
      }
    }
    if (!WriteBytes(out, colours, 3 * static_cast<std::size_t>(count))) return false;
  }
  return true;
}

bool WritePixels(std::FILE* out, const CBmpImage& image) {
  static constexpr std::uint8_t kPadding[3] = {0, 0, 0};
  const std::size_t padding = static_cast<std::size_t>(image.m_width % 4);
  // Rows go out bottom-up: the first stored row is the picture's bottom row.
  for (std::int32_t row = image.m_height - 1; row >= 0; --row) {
    const bool written = image.m_is24Bit
                             ? WriteBytes(out, image.m_rgbRows[row], 3 * static_cast<std::size_t>(image.m_width))
                             : WriteIndexedRow(out, image, image.BytePlaneRow(row));
    if (!written || !WriteBytes(out, kPadding, padding)) return false;
  }
  return true;
}

}  // namespace

int CBmpImage::SaveBmp24(const char* path) const noexcept {
  if (path == nullptr) return 0;
  std::FILE* out = std::fopen(path, "wb");
  if (out == nullptr) return 0;
  // Large writes: a whole 24-bit row of the widest picture fits the buffer.
  std::setvbuf(out, nullptr, _IOFBF, 1 << 17);

  std::uint8_t headers[bmp::kHeadersSize];
  bmp::BuildHeaders(m_width, m_height, 24, 0, headers);
  bool written = WriteBytes(out, headers, sizeof headers) && WritePixels(out, *this);
  written = std::fclose(out) == 0 && written;
  if (!written) DiscardPartialFile(path);
  return written ? 1 : 0;
}

}  // namespace tamrovi
