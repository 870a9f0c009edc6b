#include "lib/PictureBytes.h"

#include <cstring>

#include "image/BmpHeaders.h"
#include "image/PictureColours.h"
#include "image/PictureRows.h"
#include "platform/Allocation.h"

namespace tamrovi::lib {
namespace {

// A BMP file's fields hold its size in 32 bits, and the reader takes files
// below 2 GiB.
constexpr std::int64_t kLargestFile = INT32_MAX;

// What --keep-format writes for a picture read from a colour-table file: the
// file image itself when it is gray bytes, else a table of its own colours
// when they fit one. Any other picture is written 24-bit.
enum class Layout { kColour24, kFileImage, kColourTable8 };

Layout LayoutFor(const CBmpImage& image, WrittenFormat format, CPictureColours& colours) {
  if (format != WrittenFormat::kKeepFormat || image.m_fileBitCount > 8) return Layout::kColour24;
  const CPictureRows rows(image);
  if (rows.IsGray()) return Layout::kFileImage;
  return colours.Collect(rows) ? Layout::kColourTable8 : Layout::kColour24;
}

std::uint8_t* Allocate(std::int64_t length) {
  return length > kLargestFile ? nullptr : static_cast<std::uint8_t*>(AllocateBlock(length));
}

// Rows go out bottom-up, each padded with zeros to its stride.
std::uint8_t* PutRows(const CBmpImage& image, int bitCount, const CPictureColours* colours, std::uint8_t* out) {
  const CPictureRows rows(image);
  const std::int64_t stride = bmp::RowStride(image.m_width, bitCount);
  for (std::int32_t row = image.m_height - 1; row >= 0; --row) {
    std::memset(out, 0, static_cast<std::size_t>(stride));
    if (colours == nullptr) {
      rows.Colours(row, 0, image.m_width, out);
    } else {
      std::uint8_t bgr[3];
      for (std::int32_t k = 0; k < image.m_width; ++k) {
        rows.Colours(row, k, 1, bgr);
        out[k] = colours->IndexOf(bgr);
      }
    }
    out += stride;
  }
  return out;
}

}  // namespace

std::uint8_t* EncodePixels(std::int32_t width, std::int32_t height, int channels, const std::uint8_t* pixels,
                           std::size_t stride, std::int64_t& length) noexcept {
  const int bitCount = 8 * channels;
  const std::int32_t nColors = channels == 1 ? 256 : 0;
  const std::int64_t rowStride = bmp::RowStride(width, bitCount);
  length = bmp::kHeadersSize + 4 * std::int64_t{nColors} + rowStride * height;
  std::uint8_t* file = Allocate(length);
  if (file == nullptr) return nullptr;
  std::uint8_t headers[bmp::kHeadersSize];
  bmp::BuildHeaders(width, height, bitCount, nColors, headers);
  std::memcpy(file, headers, sizeof headers);
  std::uint8_t* out = file + bmp::kHeadersSize;
  for (std::int32_t level = 0; level < nColors; ++level, out += 4) {
    out[0] = out[1] = out[2] = static_cast<std::uint8_t>(level);
    out[3] = 0;
  }
  for (std::int32_t row = height - 1; row >= 0; --row, out += rowStride) {
    const std::uint8_t* in = pixels + static_cast<std::size_t>(row) * stride;
    std::memset(out, 0, static_cast<std::size_t>(rowStride));
    if (channels == 1) {
      std::memcpy(out, in, static_cast<std::size_t>(width));
      continue;
    }
    for (std::int64_t k = 0; k < width; ++k) {  // red, green, blue to the file's blue, green, red
      out[3 * k] = in[3 * k + 2];
      out[3 * k + 1] = in[3 * k + 1];
      out[3 * k + 2] = in[3 * k];
    }
  }
  return file;
}

std::uint8_t* EncodeToMemory(const CBmpImage& image, WrittenFormat format, std::int64_t& length) noexcept {
  CPictureColours colours;
  const Layout layout = LayoutFor(image, format, colours);
  if (layout == Layout::kFileImage) {
    // The file image behind a rebuilt file header, as SaveDib writes it.
    length = bmp::kFileHeaderSize + std::int64_t{image.m_dibSize};
    std::uint8_t* file = Allocate(length);
    if (file == nullptr) return nullptr;
    std::memset(file, 0, bmp::kFileHeaderSize);
    bmp::WriteU16(file + bmp::kFileType, bmp::kSignature);
    bmp::WriteU32(file + bmp::kFileSize, static_cast<std::uint32_t>(length));
    bmp::WriteU32(file + bmp::kFilePixelOffset, static_cast<std::uint32_t>(image.m_pixelOffset));
    std::memcpy(file + bmp::kFileHeaderSize, image.m_pDib, static_cast<std::size_t>(image.m_dibSize));
    return file;
  }
  const bool indexed = layout == Layout::kColourTable8;
  const int bitCount = indexed ? 8 : 24;
  const std::int32_t nColors = indexed ? colours.Count() : 0;
  length = bmp::kHeadersSize + 4 * std::int64_t{nColors} + bmp::RowStride(image.m_width, bitCount) * image.m_height;
  std::uint8_t* file = Allocate(length);
  if (file == nullptr) return nullptr;
  std::uint8_t headers[bmp::kHeadersSize];
  bmp::BuildHeaders(image.m_width, image.m_height, bitCount, nColors, headers);
  if (indexed) bmp::WriteU32(headers + bmp::kFileHeaderSize + bmp::kInfoColoursUsed, static_cast<std::uint32_t>(nColors));
  std::memcpy(file, headers, sizeof headers);
  std::uint8_t* out = file + bmp::kHeadersSize;
  for (std::int32_t index = 0; index < nColors; ++index, out += 4) {
    std::memcpy(out, colours.Entry(index), 3);
    out[3] = 0;
  }
  PutRows(image, bitCount, indexed ? &colours : nullptr, out);
  return file;
}

int SaveInFormat(const CBmpImage& image, const char* path, WrittenFormat format) noexcept {
  CPictureColours colours;
  switch (LayoutFor(image, format, colours)) {
    case Layout::kFileImage: return image.SaveDib(path);
    case Layout::kColourTable8: return image.SaveBmp8(path, colours);
    case Layout::kColour24: break;
  }
  return image.SaveBmp24(path);
}

}  // namespace tamrovi::lib
