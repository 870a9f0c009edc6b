// Writing the picture as an uncompressed 24-bit BMP, or as an 8-bit one with
// a colour table of its own colours.
#include <algorithm>
#include <cstring>

#include "image/BmpHeaders.h"
#include "image/BmpImage.h"
#include "image/PictureColours.h"
#include "image/PictureRows.h"
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

constexpr std::uint8_t kPadding[3] = {0, 0, 0};

// Rows go out bottom-up: the first stored row is the picture's bottom row.
bool WriteColourPixels(CChunkWriter& writer, const CPictureRows& picture) {
  const std::size_t padding = static_cast<std::size_t>(picture.Width() % 4);
  // Pixels are converted a piece at a time straight into the chunk.
  const auto piece = static_cast<std::int32_t>(writer.Capacity() / 3);
  for (std::int32_t row = picture.Height() - 1; row >= 0; --row) {
    for (std::int32_t start = 0; start < picture.Width(); start += piece) {
      const std::int32_t count = std::min(piece, picture.Width() - start);
      std::uint8_t* bgr = writer.Reserve(3 * static_cast<std::size_t>(count));
      if (bgr == nullptr) return false;
      picture.Colours(row, start, count, bgr);
    }
    if (!writer.Append(kPadding, padding)) return false;
  }
  return writer.Flush();
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
    if (image.RgbRows()[image.m_height - 1 - stored] != row) return nullptr;
    for (std::int64_t k = rowBytes; k < stride; ++k) {
      if (row[k] != 0) return nullptr;
    }
  }
  return image.m_pBits;
}

bool WriteIndexedPixels(CChunkWriter& writer, const CPictureRows& picture, const CPictureColours& colours) {
  const std::size_t padding = static_cast<std::size_t>(bmp::RowStride(picture.Width(), 8) - picture.Width());
  constexpr std::int32_t kIndexPiece = 4096;
  const std::int32_t piece = std::min(kIndexPiece, static_cast<std::int32_t>(writer.Capacity()));
  std::uint8_t bgr[3 * kIndexPiece];
  for (std::int32_t row = picture.Height() - 1; row >= 0; --row) {
    for (std::int32_t start = 0; start < picture.Width(); start += piece) {
      const std::int32_t count = std::min(piece, picture.Width() - start);
      std::uint8_t* indexes = writer.Reserve(static_cast<std::size_t>(count));
      if (indexes == nullptr) return false;
      picture.Colours(row, start, count, bgr);
      for (std::int32_t k = 0; k < count; ++k) indexes[k] = colours.IndexOf(bgr + 3 * k);
    }
    if (!writer.Append(kPadding, padding)) return false;
  }
  return writer.Flush();
}

// Fills `out`, opened on `path`, through a chunk writer by `writeContent`.
// True when the whole file was written; FinishSave then commits it.
template <typename WriteContent>
bool WriteBmpFile(COutputFile& out, const char* path, WriteContent writeContent) {
  if (!out.Open(path)) return false;
  CChunkWriter writer(out);
  return writeContent(writer);
}

}  // namespace

int CBmpImage::SaveBmp24(const char* path) const noexcept {
  COutputFile out;
  return FinishSave(out, WriteBmpFile(out, path, [this](CChunkWriter& writer) {
    std::uint8_t headers[bmp::kHeadersSize];
    bmp::BuildHeaders(m_width, m_height, 24, 0, headers);
    if (!writer.Append(headers, sizeof headers)) return false;
    // A picture whose file image holds its pixels as written goes out from
    // there in one piece, copied nowhere first.
    if (const std::uint8_t* pixels = WrittenPixelArray(*this)) {
      const auto bytes = static_cast<std::size_t>(bmp::RowStride(m_width, 24)) * static_cast<std::size_t>(m_height);
      return writer.Append(pixels, bytes) && writer.Flush();
    }
    return WriteColourPixels(writer, CPictureRows(*this));
  }));
}

int CBmpImage::SaveBmp8(const char* path, const CPictureColours& colours) const noexcept {
  COutputFile out;
  return FinishSave(out, WriteBmpFile(out, path, [&](CChunkWriter& writer) {
    std::uint8_t headers[bmp::kHeadersSize];
    bmp::BuildHeaders(m_width, m_height, 8, colours.Count(), headers);
    bmp::WriteU32(headers + bmp::kFileHeaderSize + bmp::kInfoColoursUsed, static_cast<std::uint32_t>(colours.Count()));
    if (!writer.Append(headers, sizeof headers)) return false;
    for (std::int32_t index = 0; index < colours.Count(); ++index) {
      const std::uint8_t* entry = colours.Entry(index);
      const std::uint8_t quad[4] = {entry[0], entry[1], entry[2], 0};
      if (!writer.Append(quad, sizeof quad)) return false;
    }
    return WriteIndexedPixels(writer, CPictureRows(*this), colours);
  }));
}

}  // namespace tamrovi
