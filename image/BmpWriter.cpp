#include "image/BmpWriter.h"

#include <algorithm>
#include <cstring>

#include "image/BmpImage.h"
#include "image/Gray3.h"
#include "image/PictureColours.h"
#include "image/PictureRows.h"

namespace tamrovi {

namespace bmp {

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

}  // namespace bmp

namespace {

// Gathers the file's bytes into few large writes: a row is a few kilobytes,
// and a write call per row costs more than copying the row. The chunk comes
// from the allocator; when memory has run out, a small one on the stack still
// lets the file be written, so that the stack of a call stays small either way.
class CChunkWriter {
 public:
  explicit CChunkWriter(const CByteSink& out) noexcept
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

  // The result of everything written so far.
  CResult Result() const noexcept {
    return m_error == 0 ? CResult{} : CResult{Reason::kCannotWrite, m_error};
  }

 private:
  static constexpr std::size_t kBytes = 64 * 1024;

  bool Write(const std::uint8_t* bytes, std::size_t count) noexcept {
    if (count > 0 && m_error == 0) m_error = m_out.Write(bytes, static_cast<std::int64_t>(count));
    return m_error == 0;
  }

  const CByteSink& m_out;
  std::uint8_t* m_pHeld;
  std::uint8_t* m_chunk;
  std::size_t m_capacity;
  std::size_t m_used = 0;
  int m_error = 0;
  std::uint8_t m_fallback[1536];  // a multiple of 3: whole pixels
};

constexpr std::uint8_t kPadding[3] = {0, 0, 0};

// Rows go out bottom-up: the first stored row is the picture's bottom row.
// `colours(row, first, count, bgr)` gives the pixels.
template <typename Colours>
bool WriteColourPixels(CChunkWriter& writer, std::int32_t width, std::int32_t height, Colours colours) {
  const std::size_t padding = static_cast<std::size_t>(width % 4);
  // Pixels are converted a piece at a time straight into the chunk.
  const auto piece = static_cast<std::int32_t>(writer.Capacity() / 3);
  for (std::int32_t row = height - 1; row >= 0; --row) {
    for (std::int32_t start = 0; start < width; start += piece) {
      const std::int32_t count = std::min(piece, width - start);
      std::uint8_t* bgr = writer.Reserve(3 * static_cast<std::size_t>(count));
      if (bgr == nullptr) return false;
      colours(row, start, count, bgr);
    }
    if (!writer.Append(kPadding, padding)) return false;
  }
  return writer.Flush();
}

// The same with one byte a pixel, `indexOf(bgr)` of each pixel's colour.
template <typename Colours, typename IndexOf>
bool WriteIndexedPixels(CChunkWriter& writer, std::int32_t width, std::int32_t height, Colours colours,
                        IndexOf indexOf) {
  const std::size_t padding = static_cast<std::size_t>(bmp::RowStride(width, 8) - width);
  constexpr std::int32_t kIndexPiece = 4096;
  const std::int32_t piece = std::min(kIndexPiece, static_cast<std::int32_t>(writer.Capacity()));
  std::uint8_t bgr[3 * kIndexPiece];
  for (std::int32_t row = height - 1; row >= 0; --row) {
    for (std::int32_t start = 0; start < width; start += piece) {
      const std::int32_t count = std::min(piece, width - start);
      std::uint8_t* indexes = writer.Reserve(static_cast<std::size_t>(count));
      if (indexes == nullptr) return false;
      colours(row, start, count, bgr);
      for (std::int32_t k = 0; k < count; ++k) indexes[k] = indexOf(bgr + 3 * k);
    }
    if (!writer.Append(kPadding, padding)) return false;
  }
  return writer.Flush();
}

bool WriteHeaders(CChunkWriter& writer, std::int32_t width, std::int32_t height, int bitCount, std::int32_t nColors,
                  std::uint32_t coloursUsed) {
  std::uint8_t headers[bmp::kHeadersSize];
  bmp::BuildHeaders(width, height, bitCount, nColors, headers);
  bmp::WriteU32(headers + bmp::kFileHeaderSize + bmp::kInfoColoursUsed, coloursUsed);
  return writer.Append(headers, sizeof headers);
}

bool WriteColourTableEntry(CChunkWriter& writer, const std::uint8_t* bgr) {
  const std::uint8_t quad[4] = {bgr[0], bgr[1], bgr[2], 0};
  return writer.Append(quad, sizeof quad);
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

auto ColoursOf(const CPictureRows& picture) {
  return [&picture](std::int32_t row, std::int32_t first, std::int32_t count, std::uint8_t* bgr) {
    picture.Colours(row, first, count, bgr);
  };
}

auto ColoursOf(const CPixelSource& source) {
  return [&source](std::int32_t row, std::int32_t first, std::int32_t count, std::uint8_t* bgr) {
    source.colours(source.pixels, row, first, count, bgr);
  };
}

}  // namespace

CResult WriteBmp24(const CBmpImage& image, const CByteSink& out) noexcept {
  CChunkWriter writer(out);
  if (!WriteHeaders(writer, image.m_width, image.m_height, 24, 0, 0)) return writer.Result();
  // A picture whose file image holds its pixels as written goes out from
  // there in one piece, copied nowhere first.
  if (const std::uint8_t* pixels = WrittenPixelArray(image)) {
    const auto bytes = static_cast<std::size_t>(bmp::RowStride(image.m_width, 24)) *
                       static_cast<std::size_t>(image.m_height);
    writer.Append(pixels, bytes) && writer.Flush();
    return writer.Result();
  }
  const CPictureRows picture(image);
  WriteColourPixels(writer, picture.Width(), picture.Height(), ColoursOf(picture));
  return writer.Result();
}

CResult WriteBmp24(const CPixelSource& picture, const CByteSink& out) noexcept {
  CChunkWriter writer(out);
  if (WriteHeaders(writer, picture.width, picture.height, 24, 0, 0)) {
    WriteColourPixels(writer, picture.width, picture.height, ColoursOf(picture));
  }
  return writer.Result();
}

CResult WriteBmp8(const CBmpImage& image, const CPictureColours& colours, const CByteSink& out) noexcept {
  CChunkWriter writer(out);
  if (!WriteHeaders(writer, image.m_width, image.m_height, 8, colours.Count(),
                    static_cast<std::uint32_t>(colours.Count()))) {
    return writer.Result();
  }
  for (std::int32_t index = 0; index < colours.Count(); ++index) {
    if (!WriteColourTableEntry(writer, colours.Entry(index))) return writer.Result();
  }
  const CPictureRows picture(image);
  WriteIndexedPixels(writer, picture.Width(), picture.Height(), ColoursOf(picture),
                     [&colours](const std::uint8_t* bgr) { return colours.IndexOf(bgr); });
  return writer.Result();
}

CResult WriteGray8(const CPixelSource& picture, const CByteSink& out) noexcept {
  constexpr std::int32_t kLevels = 256;
  CChunkWriter writer(out);
  if (!WriteHeaders(writer, picture.width, picture.height, 8, kLevels, 0)) return writer.Result();
  for (std::int32_t level = 0; level < kLevels; ++level) {
    const auto gray = static_cast<std::uint8_t>(level);
    const std::uint8_t bgr[3] = {gray, gray, gray};
    if (!WriteColourTableEntry(writer, bgr)) return writer.Result();
  }
  WriteIndexedPixels(writer, picture.width, picture.height, ColoursOf(picture),
                     [](const std::uint8_t* bgr) { return static_cast<std::uint8_t>(Gray3(bgr)); });
  return writer.Result();
}

CResult WriteFileImage(const CBmpImage& image, const CByteSink& out) noexcept {
  if (image.m_pDib == nullptr) return {Reason::kNothingToWrite, 0};
  // Only the file header is rebuilt: everything after it is the file image.
  // m_dibSize is below 2 GiB, so the file size fits its 32-bit field.
  std::uint8_t fileHeader[bmp::kFileHeaderSize] = {};
  bmp::WriteU16(fileHeader + bmp::kFileType, bmp::kSignature);
  bmp::WriteU32(fileHeader + bmp::kFileSize, static_cast<std::uint32_t>(image.m_dibSize) + bmp::kFileHeaderSize);
  bmp::WriteU32(fileHeader + bmp::kFilePixelOffset, static_cast<std::uint32_t>(image.m_pixelOffset));
  int error = out.Write(fileHeader, sizeof fileHeader);
  if (error == 0) error = out.Write(image.m_pDib, image.m_dibSize);
  return error == 0 ? CResult{} : CResult{Reason::kCannotWrite, error};
}

CResult WriteKeepingFormat(const CBmpImage& image, const CByteSink& out, bool& tooManyColours) noexcept {
  tooManyColours = false;
  if (image.m_fileBitCount <= 8) {
    const CPictureRows rows(image);
    if (rows.IsGray()) return WriteFileImage(image, out);
    CPictureColours colours;
    if (colours.Collect(rows)) return WriteBmp8(image, colours, out);
    tooManyColours = true;
  }
  return WriteBmp24(image, out);
}

CResult CommitOutput(COutputFile& out, CResult written) noexcept {
  if (written.Ok()) written = out.Commit();
  if (!written.Ok()) out.Discard();
  return written;
}

}  // namespace tamrovi
