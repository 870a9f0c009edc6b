// Reading a BMP file into the image object.
//
// The whole file is read into one buffer first; every field is then checked
// against what that buffer holds before anything of the object is replaced,
// so no header value can make the reader look outside the buffer.
#include <cerrno>
#include <cstring>

#include "image/BmpImage.h"
#include "platform/Allocation.h"
#include "platform/File.h"
#include "platform/TextConversion.h"

namespace tamrovi {
namespace {

// Files of 2 GiB or more would overflow the 32-bit lengths the object keeps.
constexpr std::int64_t kMaxFileLength = INT32_MAX;

// The colours-used field can name at most this many entries: a palette holds
// a 16-bit entry count.
constexpr std::uint32_t kMaxColoursUsed = 65535;

// The file as read: its file header's fields and the rest of its bytes.
struct FileImage {
  std::uint8_t* pDib = nullptr;  // owned until handed to the object
  std::int64_t fileLength = 0;
  std::int64_t dibSize = 0;  // bytes at pDib: the file less its file header, or more once extended
  std::uint32_t pixelOffset = 0;

  FileImage() = default;
  FileImage(const FileImage&) = delete;
  FileImage& operator=(const FileImage&) = delete;
  ~FileImage() { ReleaseBlock(pDib); }
};

// What the headers say, once every field has been checked.
struct PictureLayout {
  std::int32_t width = 0;
  std::int32_t height = 0;  // rows, positive
  bool topDown = false;
  int bitCount = 0;
  std::int32_t headerSize = 0;
  std::int32_t nColors = 0;
};

BmpLoadError ReadFileImage(const char* path, FileImage& image, int& systemError) {
  const CWideText widePath = NarrowToWide(path);
  CFile file;
  if (!file.Open(widePath.Get(), CFile::kModeRead)) {
    systemError = file.LastError();
    return systemError == EISDIR || systemError == EINVAL ? BmpLoadError::kNotRegularFile
                                                          : BmpLoadError::kCannotOpen;
  }
  image.fileLength = file.GetLength();
  if (image.fileLength < 0) return BmpLoadError::kReadFailed;
  if (image.fileLength >= kMaxFileLength) return BmpLoadError::kFileTooLarge;

  std::uint8_t fileHeader[bmp::kFileHeaderSize] = {};
  const std::int64_t headerBytes = file.Read(fileHeader, bmp::kFileHeaderSize);
  if (headerBytes < 2 || bmp::ReadU16(fileHeader + bmp::kFileType) != bmp::kSignature) {
    return BmpLoadError::kNoSignature;
  }
  if (image.fileLength < bmp::kHeadersSize || headerBytes < bmp::kFileHeaderSize) {
    return BmpLoadError::kTooShort;
  }
  image.pixelOffset = bmp::ReadU32(fileHeader + bmp::kFilePixelOffset);

  image.dibSize = image.fileLength - bmp::kFileHeaderSize;
  image.pDib = static_cast<std::uint8_t*>(AllocateBlock(image.dibSize));
  if (image.pDib == nullptr) return BmpLoadError::kOutOfMemory;
  if (file.Read(image.pDib, image.dibSize) != image.dibSize) {
    systemError = file.LastError();
    return BmpLoadError::kReadFailed;
  }
  return BmpLoadError::kNone;
}

BmpLoadError CheckHeaders(const FileImage& file, PictureLayout& layout) {
  const std::uint8_t* info = file.pDib;
  const std::uint32_t headerSize = bmp::ReadU32(info + bmp::kInfoSize);
  if (headerSize < static_cast<std::uint32_t>(bmp::kInfoHeaderSize)) return BmpLoadError::kInfoHeaderTooSmall;
  if (headerSize > static_cast<std::uint64_t>(file.dibSize)) return BmpLoadError::kInfoHeaderPastEnd;

  const std::int32_t width = bmp::ReadS32(info + bmp::kInfoWidth);
  const std::int32_t height = bmp::ReadS32(info + bmp::kInfoHeight);
  const int bitCount = bmp::ReadU16(info + bmp::kInfoBitCount);
  if (bmp::ReadU32(info + bmp::kInfoCompression) != bmp::kCompressionNone) {
    return BmpLoadError::kUnsupportedCompression;
  }
  if (bitCount != 8 && bitCount != 24) return BmpLoadError::kUnsupportedBitCount;
  if (width < 0) return BmpLoadError::kNegativeWidth;
  if (width > kMaxWidth) return BmpLoadError::kTooWide;
  // -2^31 has no positive row count; anything beyond kMaxRows either way is too tall.
  if (height < -kMaxRows || height > kMaxRows) return BmpLoadError::kTooTall;
  if (width == 0 || height == 0) return BmpLoadError::kNoPixels;

  const std::uint32_t coloursUsed = bmp::ReadU32(info + bmp::kInfoColoursUsed);
  std::int64_t nColors = 0;
  if (bitCount <= 8) {
    if (coloursUsed > kMaxColoursUsed) return BmpLoadError::kTooManyColours;
    nColors = coloursUsed != 0 ? coloursUsed : (1 << bitCount);
  }
  if (headerSize + 4 * nColors > file.dibSize) return BmpLoadError::kColourTablePastEnd;
  if (file.pixelOffset < bmp::kFileHeaderSize + headerSize || file.pixelOffset > file.fileLength) {
    return BmpLoadError::kBadPixelOffset;
  }

  layout.width = width;
  layout.height = height < 0 ? -height : height;
  layout.topDown = height < 0;
  layout.bitCount = bitCount;
  layout.headerSize = static_cast<std::int32_t>(headerSize);
  layout.nColors = static_cast<std::int32_t>(nColors);
  return BmpLoadError::kNone;
}

// Grows the file image with zeros so that it holds `needed` bytes: the byte
// plane is addressed in place, so every stored row must exist in memory even
// when the file ends early.
bool ExtendFileImage(FileImage& file, std::int64_t needed) {
  if (needed <= file.dibSize) return true;
  if (needed + bmp::kFileHeaderSize > kMaxFileLength) return false;
  auto* grown = static_cast<std::uint8_t*>(AllocateBlock(needed));
  if (grown == nullptr) return false;
  std::memcpy(grown, file.pDib, static_cast<std::size_t>(file.dibSize));
  std::memset(grown + file.dibSize, 0, static_cast<std::size_t>(needed - file.dibSize));
  ReleaseBlock(file.pDib);
  file.pDib = grown;
  file.dibSize = needed;
  return true;
}

// Copies the stored row that holds picture row `row` into `destination`;
// whatever the file does not hold becomes 0.
void CopyStoredRow(const CBmpImage& image, std::int64_t stride, std::int64_t rowBytes, std::int32_t row,
                   std::uint8_t* destination) {
  const std::int32_t storedRow = image.m_isTopDown ? row : image.m_height - 1 - row;
  const std::int64_t start = (image.m_pBits - image.m_pDib) + storedRow * stride;
  const std::int64_t held = image.m_dibSize - start;
  const std::int64_t copied = held <= 0 ? 0 : (held < rowBytes ? held : rowBytes);
  if (copied > 0) std::memcpy(destination, image.m_pDib + start, static_cast<std::size_t>(copied));
  std::memset(destination + copied, 0, static_cast<std::size_t>(rowBytes - copied));
}

bool FillRows(CBmpImage& image, std::uint8_t** table, std::int64_t stride, std::int64_t rowBytes) {
  for (std::int32_t row = 0; row < image.m_height; ++row) {
    table[row] = static_cast<std::uint8_t*>(AllocateBlock(rowBytes));
    if (table[row] == nullptr) return false;
    CopyStoredRow(image, stride, rowBytes, row, table[row]);
  }
  return true;
}

void BuildPalette(CBmpImage& image) {
  if (image.m_nColors == 0) return;
  auto* record = static_cast<LogPalette*>(AllocateBlock(LogPaletteSize(image.m_nColors)));
  if (record == nullptr) return;  // the picture loads without a palette object
  record->version = kLogPaletteVersion;
  record->entryCount = static_cast<std::uint16_t>(image.m_nColors);
  PaletteEntry* entries = record->entries;
  for (std::int32_t i = 0; i < image.m_nColors; ++i) {
    entries[i] = PaletteEntry{image.m_pColors[i].red, image.m_pColors[i].green, image.m_pColors[i].blue, 0};
  }
  image.m_palette.CreatePalette(*record);
  ReleaseBlock(record);
}

}  // namespace

int CBmpImage::LoadBmp(const char* path) noexcept {
  m_loadSystemError = 0;
  FileImage file;
  PictureLayout layout;
  BmpLoadError error = ReadFileImage(path, file, m_loadSystemError);
  if (error == BmpLoadError::kNone) error = CheckHeaders(file, layout);
  const std::int64_t byteStride = bmp::RowStride(layout.width, 8);
  if (error == BmpLoadError::kNone && layout.bitCount != 24 &&
      !ExtendFileImage(file, file.pixelOffset - bmp::kFileHeaderSize + byteStride * layout.height)) {
    error = BmpLoadError::kOutOfMemory;
  }
  m_loadError = error;
  if (error != BmpLoadError::kNone) return 0;

  // Everything is checked: the old picture goes, the new one comes in.
  Clear();
  m_fileLength = static_cast<std::int32_t>(file.fileLength);
  m_dibSize = static_cast<std::int32_t>(file.dibSize);
  m_pDib = file.pDib;
  file.pDib = nullptr;
  m_pInfo = m_pDib;
  m_pColors = reinterpret_cast<bmp::RgbQuad*>(m_pDib + layout.headerSize);
  m_nColors = layout.nColors;
  m_pBits = m_pDib + (file.pixelOffset - bmp::kFileHeaderSize);
  m_pixelOffset = static_cast<std::int32_t>(file.pixelOffset);
  m_is24Bit = layout.bitCount == 24 ? 1 : 0;
  m_width = layout.width;
  m_height = layout.height;
  m_isTopDown = layout.topDown ? 1 : 0;
  BuildPalette(*this);

  const bool filled = m_is24Bit ? FillRows(*this, m_rgbRows, bmp::RowStride(m_width, 24), 3 * std::int64_t{m_width})
                                : FillRows(*this, m_grayRows, byteStride, m_width);
  if (!filled) {
    Clear();
    m_loadError = BmpLoadError::kOutOfMemory;
    return 0;
  }
  return 1;
}

}  // namespace tamrovi
