#include "image/RleDecode.h"

#include <cstring>

#include "image/BmpFormat.h"

namespace tamrovi::bmp {
namespace {

constexpr std::uint8_t kEscape = 0;
constexpr std::uint8_t kEndOfLine = 0;
constexpr std::uint8_t kEndOfBitmap = 1;
constexpr std::uint8_t kDelta = 2;

// The run-length data, read front to back; a read past its end fails, reads
// nothing and moves nothing, whatever the data claims.
class CByteReader {
 public:
  CByteReader(const std::uint8_t* data, std::int64_t size) noexcept : m_data(data), m_size(size < 0 ? 0 : size) {}

  std::int64_t Remaining() const noexcept { return m_size - m_position; }

  // The next `count` bytes, which the reader then moves past; null when fewer
  // remain.
  const std::uint8_t* Take(std::int64_t count) noexcept {
    if (count < 0 || Remaining() < count) return nullptr;
    const std::uint8_t* bytes = m_data + m_position;
    m_position += count;
    return bytes;
  }

 private:
  const std::uint8_t* m_data;
  std::int64_t m_size;
  std::int64_t m_position = 0;
};

// The write position, counted from the bottom row as the data counts it.
class CRleCanvas {
 public:
  CRleCanvas(std::int32_t width, std::int32_t height, int bitCount, const IndexColours& colours,
             std::uint8_t* const* rows)
      : m_width(width),
        m_storedWidth(static_cast<std::int32_t>(RowStride(width, bitCount) * 8 / bitCount)),
        m_height(height),
        m_colours(colours),
        m_rows(rows) {}

  // Sets the next pixel; false, writing nothing, when it would fall outside
  // the stored picture. A stored row is padded to 4 bytes, and writers code
  // that padding too (ImageMagick does): those pixels are not the picture's
  // and are dropped.
  bool Put(unsigned index) {
    if (m_x >= m_storedWidth || m_y >= m_height) return false;
    if (m_x < m_width) {
      std::memcpy(m_rows[m_height - 1 - m_y] + 3 * static_cast<std::int64_t>(m_x), m_colours.bgr[index], 3);
    }
    ++m_x;
    return true;
  }

  void EndLine() {
    m_x = 0;
    ++m_y;
  }

  // False when the move leaves the picture: nothing after it could be written.
  bool Move(int dx, int dy) {
    m_x += dx;
    m_y += dy;
    return m_x <= m_storedWidth && m_y < m_height;
  }

  bool Finished() const { return m_y >= m_height; }
  std::int32_t RowsLeft() const { return m_y >= m_height ? 0 : m_height - m_y; }

 private:
  // Both stay within the stored picture plus one move of at most 255, so they never overflow.
  std::int32_t m_x = 0;
  std::int32_t m_y = 0;
  std::int32_t m_width;
  std::int32_t m_storedWidth;  // pixels in a stored row, padding included
  std::int32_t m_height;
  const IndexColours& m_colours;
  std::uint8_t* const* m_rows;
};

// The index of pixel `i` of a run whose bytes hold one (RLE8) or two (RLE4) indices.
inline unsigned IndexAt(std::uint8_t byte, std::int64_t i, int bitCount) {
  if (bitCount == 8) return byte;
  return (i % 2 == 0) ? byte >> 4 : byte & 0x0F;
}

bool PutEncodedRun(CRleCanvas& canvas, std::uint8_t count, std::uint8_t value, int bitCount) {
  for (std::int32_t i = 0; i < count; ++i) {
    if (!canvas.Put(IndexAt(value, i, bitCount))) return false;
  }
  return true;
}

bool PutAbsoluteRun(CRleCanvas& canvas, CByteReader& data, std::uint8_t count, int bitCount) {
  const std::int64_t bytes = bitCount == 8 ? count : (count + 1) / 2;
  std::int64_t pixels = count;
  const std::uint8_t* stored = data.Take(bytes + bytes % 2);  // runs end on a 16-bit boundary
  if (stored == nullptr) {
    // The data ends inside the run: keep the pixels it still holds.
    const std::int64_t held = data.Remaining();
    const std::int64_t heldPixels = bitCount == 8 ? held : 2 * held;
    if (heldPixels < pixels) pixels = heldPixels;
    stored = data.Take(held);
  }
  for (std::int64_t i = 0; i < pixels; ++i) {
    const std::uint8_t byte = stored[bitCount == 8 ? i : i / 2];
    if (!canvas.Put(IndexAt(byte, i, bitCount))) return false;
  }
  return true;
}

}  // namespace

std::int32_t DecodeRle(const std::uint8_t* data, std::int64_t size, int bitCount, std::int32_t width,
                       std::int32_t height, const IndexColours& colours, std::uint8_t* const* rows) noexcept {
  CByteReader reader(data, size);
  CRleCanvas canvas(width, height, bitCount, colours, rows);
  // Running out of data is a file that ended early; a code that leaves the
  // picture, or end of bitmap, is the data's own end.
  while (!canvas.Finished()) {
    const std::uint8_t* code = reader.Take(2);
    if (code == nullptr) return canvas.RowsLeft();
    const std::uint8_t count = code[0];
    const std::uint8_t value = code[1];
    if (count != kEscape) {
      if (!PutEncodedRun(canvas, count, value, bitCount)) return 0;
      continue;
    }
    switch (value) {
      case kEndOfLine:
        canvas.EndLine();
        break;
      case kEndOfBitmap:
        return 0;
      case kDelta: {
        const std::uint8_t* move = reader.Take(2);  // dx, dy
        if (move == nullptr) return canvas.RowsLeft();
        if (!canvas.Move(move[0], move[1])) return 0;
        break;
      }
      default:
        if (reader.Remaining() < (bitCount == 8 ? value : (value + 1) / 2)) {
          PutAbsoluteRun(canvas, reader, value, bitCount);
          return canvas.RowsLeft();
        }
        if (!PutAbsoluteRun(canvas, reader, value, bitCount)) return 0;
        break;
    }
  }
  return 0;
}

}  // namespace tamrovi::bmp
