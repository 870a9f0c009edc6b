// Writing the picture as an uncompressed 24-bit BMP.
#include <cstring>

#include "image/BmpHeaders.h"
#include "image/BmpImage.h"
#include "platform/Allocation.h"
#include "platform/OutputFile.h"

namespace tamrovi {
namespace {

// Gathers the file's bytes into few large writes: a row is a few kilobytes,
// and a write call per row costs more than copying the row. The chunk comes
// from the allocator; when memory has run out, a small one on the stack still
// lets the file be written, so that the stack of a call stays small either way.
class CChunkWriter {
 public:
  explicit CChunkWriter(COutputFile& out) noexcept
      : m_out(out), m_pHeld(static_cast<std::uint8_t*>(AllocateBlock(kBytes))) {
    m_chunk = m_pHeld != nullptr ? m_pHeld : m_fallback;
    m_capacity = m_pHeld != nullptr ? kBytes : sizeof m_fallback;
  }
  CChunkWriter(const CChunkWriter&) = delete;
  CChunkWriter& operator=(const CChunkWriter&) = delete;
  ~CChunkWriter() { ReleaseBlock(m_pHeld); }

  // Room for `count` bytes at the end of the chunk, flushing it first when
  // they would not fit; null when a flush failed. `count` is at most Capacity().
  std::uint8_t* Reserve(std::size_t count) noexcept {
    if (m_used + count > m_capacity && !Flush()) return nullptr;
    std::uint8_t* room = m_chunk + m_used;
    m_used += count;
    return room;
  }

  bool Append(const std::uint8_t* bytes, std::size_t count) noexcept {
    if (count > m_capacity) return Flush() && Write(bytes, count);  // larger than a chunk: straight out
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

  std::size_t Capacity() const noexcept { return m_capacity; }

 private:
  static constexpr std::size_t kBytes = 64 * 1024;

  bool Write(const std::uint8_t* bytes, std::size_t count) noexcept {
    return count == 0 || m_out.Write(bytes, static_cast<std::int64_t>(count));
  }

  COutputFile& m_out;
  std::uint8_t* m_pHeld;
  std::uint8_t* m_chunk;
  std::size_t m_capacity;
  std::size_t m_used = 0;
  std::uint8_t m_fallback[1536];  // a multiple of 3: whole pixels
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
  const auto piece = static_cast<std::int32_t>(writer.Capacity() / 3);
  for (std::int32_t start = 0; start < image.m_width; start += piece) {
    const std::int32_t count = image.m_width - start < piece ? image.m_width - start : piece;
    std::uint8_t* pixel = writer.Reserve(3 * static_cast<std::size_t>(count));
    if (pixel == nullptr) return false;
    for (std::int32_t k = 0; k < count; ++k, pixel += 3) std::memcpy(pixel, colours.bgr[row[start + k]], 3);
  }
  return true;
}

bool WritePixels(CChunkWriter& writer, const CBmpImage& image) {
  static constexpr std::uint8_t kPadding[3] = {0, 0, 0};
  const std::size_t padding = static_cast<std::size_t>(image.m_width % 4);
  const auto rowBytes = 3 * static_cast<std::size_t>(image.m_width);
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
  std::uint8_t headers[bmp::kHeadersSize];
  bmp::BuildHeaders(m_width, m_height, 24, 0, headers);
  COutputFile out;
  bool written = out.Open(path);
  if (written) {
    CChunkWriter writer(out);
    written = writer.Append(headers, sizeof headers) && WritePixels(writer, *this);
  }
  return FinishSave(out, written);
}

}  // namespace tamrovi
