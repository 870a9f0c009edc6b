// Reading a BMP file into the image object.
//
// The whole file is read into one buffer first; its headers are then read
// into one description and every field is checked against what that buffer
// holds before anything of the object is replaced, so no header value can
// make the reader look outside the buffer.
//
// 8-bit uncompressed files with a header of 40 bytes or more whose colour
// table is the gray ramp are held as the byte plane, in place in the file
// image: each byte is then its own gray level. Every other variant, and every
// other colour table, is decoded here into colour rows, so that everything
// downstream sees one of two layouts and the same picture filters the same
// however it was stored.
#include <cerrno>
#include <cstring>

#include "image/BitFieldDecode.h"
#include "image/BmpHeaderParse.h"
#include "image/BmpImage.h"
#include "image/PalettedDecode.h"
#include "image/RleDecode.h"
#include "platform/Allocation.h"
#include "platform/File.h"
#include "platform/TextConversion.h"

namespace tamrovi {
namespace {

// Files of 2 GiB or more would overflow the 32-bit lengths the object keeps.
constexpr std::int64_t kMaxFileLength = INT32_MAX;

// The file header and the smallest info header (OS/2 1.x, 12 bytes).
constexpr std::int64_t kMinFileLength = bmp::kFileHeaderSize + 12;

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

// How the picture is to be held, and what the colour-row decoders need
// beyond the description: made before anything of the object is replaced,
// because making it can refuse the file.
struct PictureDecoding {
  bool onBytePlane = false;  // held as gray bytes in place; no colour rows to decode
  bmp::IndexColours colours;
  bmp::BitFieldLayout fields;
};

// Checks the 14-byte file header, of which `headerBytes` arrived, against a
// file of `fileLength` bytes; keeps the file's length and pixel offset.
BmpLoadError CheckFileHeader(const std::uint8_t* fileHeader, std::int64_t headerBytes, std::int64_t fileLength,
                             FileImage& image) {
  image.fileLength = fileLength;
  if (fileLength >= kMaxFileLength) return BmpLoadError::kFileTooLarge;
  if (headerBytes < 2 || bmp::ReadU16(fileHeader + bmp::kFileType) != bmp::kSignature) {
    return BmpLoadError::kNoSignature;
  }
  if (fileLength < kMinFileLength || headerBytes < bmp::kFileHeaderSize) return BmpLoadError::kTooShort;
  image.pixelOffset = bmp::ReadU32(fileHeader + bmp::kFilePixelOffset);
  image.dibSize = fileLength - bmp::kFileHeaderSize;
  image.pDib = static_cast<std::uint8_t*>(AllocateBlock(image.dibSize));
  if (image.pDib == nullptr) return BmpLoadError::kOutOfMemory;
  return BmpLoadError::kNone;
}

BmpLoadError ReadFileImage(const char* path, FileImage& image, int& systemError) {
  const CWideText widePath = NarrowToWide(path);
  CFile file;
  if (!file.Open(widePath.Get(), CFile::kModeRead)) {
    systemError = file.LastError();
    return systemError == EISDIR || systemError == EINVAL ? BmpLoadError::kNotRegularFile
                                                          : BmpLoadError::kCannotOpen;
  }
  const std::int64_t fileLength = file.GetLength();
  if (fileLength < 0) return BmpLoadError::kReadFailed;
  std::uint8_t fileHeader[bmp::kFileHeaderSize] = {};
  const std::int64_t headerBytes = fileLength >= kMaxFileLength ? 0 : file.Read(fileHeader, bmp::kFileHeaderSize);
  const BmpLoadError error = CheckFileHeader(fileHeader, headerBytes, fileLength, image);
  if (error != BmpLoadError::kNone) return error;
  if (file.Read(image.pDib, image.dibSize) != image.dibSize) {
    systemError = file.LastError();
    return BmpLoadError::kReadFailed;
  }
  return BmpLoadError::kNone;
}

BmpLoadError CopyFileImage(const std::uint8_t* bytes, std::int64_t length, FileImage& image) {
  if (bytes == nullptr || length < 0) length = 0;
  const std::int64_t headerBytes = length < bmp::kFileHeaderSize ? length : bmp::kFileHeaderSize;
  const BmpLoadError error = CheckFileHeader(bytes, headerBytes, length, image);
  if (error == BmpLoadError::kNone) std::memcpy(image.pDib, bytes + bmp::kFileHeaderSize, image.dibSize);
  return error;
}

bmp::ColourTableView ColourTableOf(const std::uint8_t* dib, const bmp::BmpDescription& picture) {
  return {dib + picture.colourTableOffset, picture.nColors, picture.colourEntrySize};
}

// True when every entry a byte can name is the gray of its own index, so that
// each byte is the gray level it shows. Indexes past a shorter table show
// their own gray as well.
bool IsGrayRamp(const bmp::ColourTableView& table) {
  const std::int32_t named = table.count < 256 ? table.count : 256;
  for (std::int32_t index = 0; index < named; ++index) {
    const std::uint8_t* entry = table.Entry(index);
    if (entry[0] != index || entry[1] != index || entry[2] != index) return false;
  }
  return true;
}

// Gray bytes are addressed in place, and arithmetic on them is arithmetic on
// gray levels: only a gray-ramp table allows that.
bool HeldOnBytePlane(const std::uint8_t* dib, const bmp::BmpDescription& picture) {
  return picture.format == bmp::PixelFormat::kIndexed && picture.bitCount == 8 &&
         picture.headerSize >= bmp::kInfoHeaderSize && IsGrayRamp(ColourTableOf(dib, picture));
}

// Grows the file image with zeros so that it holds `needed` bytes: the byte
// plane is addressed in place, so every stored row must exist in memory even
// when the file ends early. The block grows in place (or is moved by the
// system): a copy would hold the file twice, which for a file whose pixels
// start near its end is twice the file for a few rows.
bool ExtendFileImage(FileImage& file, std::int64_t needed) {
  if (needed <= file.dibSize) return true;
  if (needed + bmp::kFileHeaderSize > kMaxFileLength) return false;
  auto* grown = static_cast<std::uint8_t*>(ResizeBlock(file.pDib, needed));
  if (grown == nullptr) return false;
  std::memset(grown + file.dibSize, 0, static_cast<std::size_t>(needed - file.dibSize));
  file.pDib = grown;
  file.dibSize = needed;
  return true;
}

BmpLoadError PrepareDecoding(FileImage& file, const bmp::BmpDescription& picture, PictureDecoding& decoding) {
  decoding.onBytePlane = HeldOnBytePlane(file.pDib, picture);
  if (decoding.onBytePlane) {
    const std::int64_t planeEnd = picture.pixelOffset + bmp::RowStride(picture.width, 8) * picture.height;
    return ExtendFileImage(file, planeEnd) ? BmpLoadError::kNone : BmpLoadError::kOutOfMemory;
  }
  if (picture.format == bmp::PixelFormat::kBitFields) {
    return bmp::MakeBitFieldLayout(picture.masks, picture.bitCount, decoding.fields);
  }
  bmp::BuildIndexColours(ColourTableOf(file.pDib, picture), decoding.colours);
  return BmpLoadError::kNone;
}

// Rows that are not the file image's own share one block: one allocation
// (on large pages when it is large), not one a row.
std::uint8_t* AllocateRowBlock(CBmpImage& image, std::int64_t rowBytes) {
  image.m_pRowBlock = static_cast<std::uint8_t*>(AllocateBlock(rowBytes * image.m_height));
  return image.m_pRowBlock;
}

// The byte plane's rows are the file image's own, which holds every stored
// row (extended with zeros when the file ends early): a copy of them would
// hold the picture twice, and nothing reads it that the plane cannot give.
void PointAtBytePlaneRows(CBmpImage& image) {
  for (std::int32_t row = 0; row < image.m_height; ++row) image.m_grayRows[row] = image.BytePlaneRow(row);
}

bool AllocateColourRows(CBmpImage& image) {
  const std::int64_t rowBytes = 3 * std::int64_t{image.m_width};
  std::uint8_t* block = AllocateRowBlock(image, rowBytes);
  if (block == nullptr) return false;
  for (std::int32_t row = 0; row < image.m_height; ++row) image.m_rgbRows[row] = block + row * rowBytes;
  return true;
}

// A 24-bit file that holds every row needs no copy of them: its rows are the
// picture's, where they lie in the file image.
bool UsesFileRows(const CBmpImage& image, const bmp::BmpDescription& picture) {
  const std::int64_t stride = bmp::RowStride(image.m_width, picture.bitCount);
  return picture.format == bmp::PixelFormat::kBgr24 && picture.pixelOffset + stride * image.m_height <= image.m_dibSize;
}

void PointAtFileRows(CBmpImage& image, const bmp::BmpDescription& picture) {
  const std::int64_t stride = bmp::RowStride(image.m_width, picture.bitCount);
  for (std::int32_t storedRow = 0; storedRow < image.m_height; ++storedRow) {
    const std::int32_t row = image.m_isTopDown ? storedRow : image.m_height - 1 - storedRow;
    image.m_rgbRows[row] = image.m_pBits + storedRow * stride;
  }
}

// Run-length data need not set every pixel: those it leaves take the colour
// of the first colour-table entry, the picture's background.
void DecodeRunLengthRows(CBmpImage& image, const bmp::BmpDescription& picture, const PictureDecoding& decoding) {
  const std::uint8_t* background = decoding.colours.bgr[0];
  for (std::int32_t row = 0; row < image.m_height; ++row) {
    std::uint8_t* pixel = image.m_rgbRows[row];
    for (std::int32_t x = 0; x < image.m_width; ++x, pixel += 3) std::memcpy(pixel, background, 3);
  }
  bmp::DecodeRle(image.m_pBits, image.m_dibSize - picture.pixelOffset, picture.bitCount, image.m_width,
                 image.m_height, decoding.colours, image.m_rgbRows);
}

void DecodeStoredRow(const std::uint8_t* stored, const bmp::BmpDescription& picture,
                     const PictureDecoding& decoding, std::uint8_t* bgr) {
  switch (picture.format) {
    case bmp::PixelFormat::kIndexed:
      bmp::DecodeIndexedRow(stored, picture.width, picture.bitCount, decoding.colours, bgr);
      break;
    case bmp::PixelFormat::kBitFields:
      bmp::DecodeBitFieldRow(stored, picture.width, decoding.fields, bgr);
      break;
    case bmp::PixelFormat::kBgr24:  // the file's own byte order
      std::memcpy(bgr, stored, 3 * static_cast<std::size_t>(picture.width));
      break;
    case bmp::PixelFormat::kRle8:
    case bmp::PixelFormat::kRle4:
      break;  // not stored row by row: DecodeRunLengthRows reads them
  }
}

// Uncompressed rows lie at the file's stride from the pixel offset; rows the
// file ends inside of are decoded from a copy completed with zeros.
bool DecodeUncompressedRows(CBmpImage& image, const bmp::BmpDescription& picture,
                            const PictureDecoding& decoding) {
  const std::int64_t stride = bmp::RowStride(image.m_width, picture.bitCount);
  const std::int64_t pixelBytes = image.m_dibSize - picture.pixelOffset;
  std::uint8_t* scratch = nullptr;
  if (stride * image.m_height > pixelBytes) {
    scratch = static_cast<std::uint8_t*>(AllocateBlock(stride));
    if (scratch == nullptr) return false;
  }
  for (std::int32_t storedRow = 0; storedRow < image.m_height; ++storedRow) {
    const std::int64_t start = storedRow * stride;
    const std::uint8_t* stored = image.m_pBits + start;
    if (start + stride > pixelBytes) {
      const std::int64_t held = start < pixelBytes ? pixelBytes - start : 0;
      if (held > 0) std::memcpy(scratch, stored, static_cast<std::size_t>(held));
      std::memset(scratch + held, 0, static_cast<std::size_t>(stride - held));
      stored = scratch;
    }
    const std::int32_t row = image.m_isTopDown ? storedRow : image.m_height - 1 - storedRow;
    DecodeStoredRow(stored, picture, decoding, image.m_rgbRows[row]);
  }
  ReleaseBlock(scratch);
  return true;
}

bool FillColourRows(CBmpImage& image, const bmp::BmpDescription& picture, const PictureDecoding& decoding) {
  if (UsesFileRows(image, picture)) {
    PointAtFileRows(image, picture);
    return true;
  }
  if (!AllocateColourRows(image)) return false;
  if (picture.format == bmp::PixelFormat::kRle8 || picture.format == bmp::PixelFormat::kRle4) {
    DecodeRunLengthRows(image, picture, decoding);
    return true;
  }
  return DecodeUncompressedRows(image, picture, decoding);
}

void BuildPalette(CBmpImage& image, const bmp::ColourTableView& table) {
  if (table.count == 0) return;
  auto* record = static_cast<LogPalette*>(AllocateBlock(LogPaletteSize(table.count)));
  if (record == nullptr) return;  // the picture loads without a palette object
  record->version = kLogPaletteVersion;
  record->entryCount = static_cast<std::uint16_t>(table.count);
  PaletteEntry* entries = record->entries;
  for (std::int32_t i = 0; i < table.count; ++i) {
    const std::uint8_t* entry = table.Entry(i);  // blue, green, red
    entries[i] = PaletteEntry{entry[2], entry[1], entry[0], 0};
  }
  image.m_palette.CreatePalette(*record);
  ReleaseBlock(record);
}

// Parses the file image read or copied (when `error` says it arrived whole)
// and, once every field is checked, makes it the object's picture.
int AdoptFileImage(CBmpImage& image, FileImage& file, BmpLoadError error) {
  bmp::BmpDescription picture;
  PictureDecoding decoding;
  if (error == BmpLoadError::kNone) error = bmp::ParseBmpHeader(file.pDib, file.dibSize, file.pixelOffset, picture);
  if (error == BmpLoadError::kNone) error = PrepareDecoding(file, picture, decoding);
  image.m_loadError = error;
  if (error != BmpLoadError::kNone) return 0;

  // Everything is checked: the old picture goes, the new one comes in.
  image.Clear();
  image.m_fileLength = static_cast<std::int32_t>(file.fileLength);
  image.m_dibSize = static_cast<std::int32_t>(file.dibSize);
  image.m_pDib = file.pDib;
  file.pDib = nullptr;
  image.m_pInfo = image.m_pDib;
  // 3-byte OS/2 1.x entries cannot be addressed as 4-byte ones.
  image.m_pColors = picture.colourEntrySize == 4
                        ? reinterpret_cast<bmp::RgbQuad*>(image.m_pDib + picture.colourTableOffset)
                        : nullptr;
  image.m_nColors = picture.nColors;
  image.m_pBits = image.m_pDib + picture.pixelOffset;
  image.m_pixelOffset = static_cast<std::int32_t>(picture.pixelOffset + bmp::kFileHeaderSize);
  image.m_is24Bit = decoding.onBytePlane ? 0 : 1;
  image.m_fileBitCount = picture.bitCount;
  image.m_width = picture.width;
  image.m_height = picture.height;
  image.m_isTopDown = picture.topDown ? 1 : 0;
  BuildPalette(image, ColourTableOf(image.m_pDib, picture));

  bool filled = true;
  if (image.m_is24Bit) filled = FillColourRows(image, picture, decoding);
  else PointAtBytePlaneRows(image);
  if (!filled) {
    image.Clear();
    image.m_loadError = BmpLoadError::kOutOfMemory;
    return 0;
  }
  return 1;
}

}  // namespace

int CBmpImage::LoadBmp(const char* path) noexcept {
  m_loadSystemError = 0;
  FileImage file;
  const BmpLoadError error = ReadFileImage(path, file, m_loadSystemError);
  return AdoptFileImage(*this, file, error);
}

int CBmpImage::LoadBmpFromMemory(const std::uint8_t* bytes, std::int64_t length) noexcept {
  m_loadSystemError = 0;
  FileImage file;
  const BmpLoadError error = CopyFileImage(bytes, length, file);
  return AdoptFileImage(*this, file, error);
}

}  // namespace tamrovi
