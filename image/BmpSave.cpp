// Writing the picture as an uncompressed 24-bit BMP.
#include <cstdio>
#include <cstring>

#include "image/BmpHeaders.h"
#include "image/BmpImage.h"
#include "platform/File.h"

namespace tamrovi {
namespace {

// Gathers the file's bytes into few large writes: a row is a few kilobytes,
// and a write call per row (or per standard-I/O buffer of one page) costs
// more than copying the row. The chunk lives on the stack, so writing needs
// no allocation.
class CChunkWriter {
 public:
  explicit CChunkWriter(std::FILE* out) noexcept : m_out(out) {}

  // Room for `count` bytes at the end of the chunk, flushing it first when
  // they would not fit; null when a flush failed. `count` is at most kBytes.
  std::uint8_t* Reserve(std::size_t count) noexcept {
    if (m_used + count > kBytes && !Flush()) return nullptr;
    std::uint8_t* room = m_chunk + m_used;
    m_used += count;
    return room;
  }

  bool Append(const std::uint8_t* bytes, std::size_t count) noexcept {
    if (count > kBytes) return Flush() && Write(bytes, count);  // larger than a chunk: straight out
    std::uint8_t* room = Reserve(count);
    if (room == nullptr) return false;
    if (count > 0) std::memcpy(room, bytes, count);
    return true;
  }

  bool Flush() noexcept {
    const bool written = Write(m_chunk, m_used);
    m_used = 0;
    return written;
  }

  static constexpr std::size_t kBytes = 64 * 1024;

 private:
  bool Write(const std::uint8_t* bytes, std::size_t count) noexcept {
    return count == 0 || std::fwrite(bytes, 1, count, m_out) == count;
  }

  std::FILE* m_out;
  std::size_t m_used = 0;
  std::uint8_t m_chunk[kBytes];
};

// What each byte of the byte plane is written as: its colour-table entry when
// it names one, otherwise the gray level it is. Made once, before the rows.
struct ByteColours {
  std::uint8_t bgr[256][3];

  explicit ByteColours(const CBmpImage& image) {
    for (int index = 0; index < 256; ++index) {
      std::uint8_t* colour = bgr[index];
      if (index < image.m_nColors) {
        const bmp::RgbQuad& entry = image.m_pColors[index];
        colour[0] = entry.blue, colour[1] = entry.green, colour[2] = entry.red;
      } else {
        colour[0] = colour[1] = colour[2] = static_cast<std::uint8_t>(index);
      }
    }
  }
};

// A byte-plane row in colour, converted in pieces straight into the chunk.
bool WriteIndexedRow(CChunkWriter& writer, const CBmpImage& image, const ByteColours& colours,
                     const std::uint8_t* row) {
  constexpr std::int32_t kPiece = CChunkWriter::kBytes / 3;
  for (std::int32_t start = 0; start < image.m_width; start += kPiece) {
    const std::int32_t count = image.m_width - start < kPiece ? image.m_width - start : kPiece;
    std::uint8_t* pixel = writer.Reserve(3 * static_cast<std::size_t>(count));
    if (pixel == nullptr) return false;
    for (std::int32_t k = 0; k < count; ++k, pixel += 3) std::memcpy(pixel, colours.bgr[row[start + k]], 3);
  }
  return true;
}

// The pixel array as it is to be written, when the file image already holds
// it: the colour rows are the file's own, stored bottom-up at the stride
// written, with padding of zeros. Null otherwise.
const std::uint8_t* WrittenPixelArray(const CBmpImage& image) {
  if (!image.m_is24Bit || image.m_pBits == nullptr) return nullptr;
  const std::int64_t stride = bmp::RowStride(image.m_width, 24);
  const std::int64_t rowBytes = 3 * std::int64_t{image.m_width};
  for (std::int32_t stored = 0; stored < image.m_height; ++stored) {
    const std::uint8_t* row = image.m_pBits + stored * stride;
    if (image.m_rgbRows[image.m_height - 1 - stored] != row) return nullptr;
    for (std::int64_t k = rowBytes; k < stride; ++k) {
      if (row[k] != 0) return nullptr;
    }
  }
  return image.m_pBits;
}

bool WritePixels(CChunkWriter& writer, const CBmpImage& image) {
  static constexpr std::uint8_t kPadding[3] = {0, 0, 0};
  const std::size_t padding = static_cast<std::size_t>(image.m_width % 4);
  const auto rowBytes = 3 * static_cast<std::size_t>(image.m_width);
  // A picture whose file image holds its pixels as written goes out from
  // there in one piece, copied nowhere first.
  if (const std::uint8_t* pixels = WrittenPixelArray(image)) {
    return writer.Append(pixels, (rowBytes + padding) * static_cast<std::size_t>(image.m_height)) && writer.Flush();
  }
  // Rows go out bottom-up: the first stored row is the picture's bottom row.
  if (image.m_is24Bit) {
    for (std::int32_t row = image.m_height - 1; row >= 0; --row) {
      if (!writer.Append(image.m_rgbRows[row], rowBytes) || !writer.Append(kPadding, padding)) return false;
    }
  } else {
    const ByteColours colours(image);
    for (std::int32_t row = image.m_height - 1; row >= 0; --row) {
      if (!WriteIndexedRow(writer, image, colours, image.BytePlaneRow(row)) || !writer.Append(kPadding, padding)) {
        return false;
      }
    }
  }
  return writer.Flush();
}

}  // namespace

int CBmpImage::SaveBmp24(const char* path) const noexcept {
  if (path == nullptr) return 0;
  std::FILE* out = std::fopen(path, "wb");
  if (out == nullptr) return 0;
  // The chunks are the buffer: a second copy through the stream's own buffer
  // would gain nothing.
  std::setvbuf(out, nullptr, _IONBF, 0);

  std::uint8_t headers[bmp::kHeadersSize];
  bmp::BuildHeaders(m_width, m_height, 24, 0, headers);
  CChunkWriter writer(out);
  bool written = writer.Append(headers, sizeof headers) && WritePixels(writer, *this);
  written = std::fclose(out) == 0 && written;
  if (!written) DiscardPartialFile(path);
  return written ? 1 : 0;
}

}  // namespace tamrovi
