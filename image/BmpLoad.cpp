// Reading a BMP file into the image object.
//
// The headers come first: the file header, then the info header, and the
// picture they describe is checked against the load's limits before its
// pixels are allocated or read, so a header that claims a huge picture costs
// a few hundred bytes of reading, whatever the file's length. The rest of the
// file is then read into one buffer; the headers are read again from it into
// one description and every field is checked against what that buffer holds
// before anything of the object is replaced, so no header value can make the
// reader look outside the buffer.
//
// 8-bit uncompressed files with a header of 40 bytes or more whose colour
// table is the gray ramp are held as the byte plane, in place in the file
// image: each byte is then its own gray level. Every other variant, and every
// other colour table, is decoded here into colour rows, so that everything
// downstream sees one of two layouts and the same picture filters the same
// however it was stored.
#include <algorithm>
#include <cstring>
#include <utility>

#include "image/BitFieldDecode.h"
#include "image/BmpHeaderParse.h"
#include "image/BmpImage.h"
#include "image/PalettedDecode.h"
#include "image/RleDecode.h"
#include "platform/Allocation.h"
#include "platform/File.h"

namespace tamrovi {
namespace {

// Files of 2 GiB or more would overflow the 32-bit lengths the object keeps.
constexpr std::int64_t kMaxFileLength = INT32_MAX;

// The file header and the smallest info header (OS/2 1.x, 12 bytes).
constexpr std::int64_t kMinFileLength = bmp::kFileHeaderSize + 12;

// Where the bytes of one load come from, front to back: a file or bytes in
// memory, whose length is known, or a stream, whose length is not.
struct LoadSource {
  std::int64_t length = -1;              // -1 for a stream
  CFile* file = nullptr;                 // a file,
  CByteStream stream{};                  // a stream,
  const std::uint8_t* memory = nullptr;  // or `length` bytes in memory
  std::int64_t position = 0;             // bytes of memory read so far
  int systemError = 0;                   // the system's error number when a file's read failed

  // Reads until `count` bytes arrived or the source ends; -1 when a read failed.
  std::int64_t ReadFully(std::uint8_t* buffer, std::int64_t count) noexcept {
    if (file == nullptr && length >= 0) {  // bytes in memory
      const std::int64_t taken = std::min(count, length - position);
      if (taken > 0) std::memcpy(buffer, memory + position, static_cast<std::size_t>(taken));
      position += taken;
      return taken;
    }
    std::int64_t total = 0;
    while (total < count) {
      const std::int64_t got = file != nullptr ? ReadFromFile(buffer + total, count - total)
                                               : stream.read(stream.context, buffer + total, count - total);
      if (got < 0) return -1;
      if (got == 0) break;
      total += got;
    }
    return total;
  }

  CResult ReadFailure() const noexcept { return {Reason::kReadFailed, systemError}; }

 private:
  std::int64_t ReadFromFile(std::uint8_t* buffer, std::int64_t count) noexcept {
    const CResultOf<std::int64_t> got = file->Read(buffer, count);
    if (got.Ok() || got.value > 0) return got.value;
    systemError = got.result.systemError;
    return -1;
  }
};

// The file as read: its file header's pixel offset and the rest of its bytes.
struct FileImage {
  std::uint8_t* pDib = nullptr;  // owned until handed to the object
  std::int64_t dibSize = 0;  // bytes at pDib: the file less its file header, or more once extended
  std::uint32_t pixelOffset = 0;

  FileImage() = default;
  FileImage(FileImage&& other) noexcept
      : pDib(std::exchange(other.pDib, nullptr)), dibSize(other.dibSize), pixelOffset(other.pixelOffset) {}
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

// Why a file that does not start with B, M is refused: pictures of the
// common formats are named by their own signatures, so that a user knows
// what to convert.
Reason ForeignSignature(const std::uint8_t* start, std::int64_t bytes) {
  static const std::uint8_t kPng[] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
  static const std::uint8_t kJpeg[] = {0xFF, 0xD8, 0xFF};
  if (bytes >= 8 && std::memcmp(start, kPng, sizeof kPng) == 0) return Reason::kPngFile;
  if (bytes >= 3 && std::memcmp(start, kJpeg, sizeof kJpeg) == 0) return Reason::kJpegFile;
  if (bytes >= 6 && (std::memcmp(start, "GIF87a", 6) == 0 || std::memcmp(start, "GIF89a", 6) == 0)) {
    return Reason::kGifFile;
  }
  return Reason::kNoSignature;
}

// The bytes after the file header that the picture `picture` needs: its
// headers, colour table and every stored row. Run-length data has no fixed
// length: its bound is four bytes a pixel (a delta code per pixel, the
// dearest a sensible writer spends) and an end-of-line code a row.
std::int64_t NeededDibBytes(const bmp::BmpDescription& picture) {
  const bool runLength = picture.IsRunLength();
  const std::int64_t rowBytes =
      runLength ? 4 * std::int64_t{picture.width} + 2 : bmp::RowStride(picture.width, picture.bitCount);
  return picture.pixelOffset + rowBytes * picture.height + (runLength ? 2 : 0);
}

// Reads a whole file image from `source`: the file header and the start of
// the info header first, and once they pass, the rest into one buffer sized
// from them: the file's length, or for a stream what its picture needs.
CResultOf<FileImage> ReadFileImage(LoadSource& source, const CLoadLimits& limits) {
  std::uint8_t fileHeader[bmp::kFileHeaderSize] = {};
  const std::int64_t headerBytes = source.ReadFully(fileHeader, bmp::kFileHeaderSize);
  if (headerBytes < 0) return {source.ReadFailure()};
  if (headerBytes < 2 || bmp::ReadU16(fileHeader + bmp::kFileType) != bmp::kSignature) {
    return {{ForeignSignature(fileHeader, headerBytes)}};
  }
  const bool known = source.length >= 0;
  if (headerBytes < bmp::kFileHeaderSize || (known && source.length < kMinFileLength)) return {{Reason::kTooShort}};
  const std::uint32_t pixelOffset = bmp::ReadU32(fileHeader + bmp::kFilePixelOffset);

  const std::int64_t largestDib = kMaxFileLength - 1 - bmp::kFileHeaderSize;
  const std::int64_t fileDib = known ? source.length - bmp::kFileHeaderSize : largestDib;
  std::uint8_t head[bmp::kHeaderBytesParsed];
  const std::int64_t wanted = std::min(fileDib, bmp::kHeaderBytesParsed);
  const std::int64_t headBytes = source.ReadFully(head, wanted);
  if (headBytes < 0 || (known && headBytes < wanted)) return {source.ReadFailure()};
  // A stream that ended inside its headers is as long as it is.
  const std::int64_t claimedDib = known || headBytes == wanted ? fileDib : headBytes;
  const CResultOf<bmp::BmpDescription> parsed = bmp::ParseBmpHeader(head, headBytes, claimedDib, pixelOffset, limits);
  if (!parsed.Ok()) return {parsed.result};
  if (known && source.length >= kMaxFileLength) return {{Reason::kFileTooLarge}};
  // A stream's headers were read whole, however small the picture behind them.
  const std::int64_t needed = known ? fileDib : std::max(NeededDibBytes(parsed.value), headBytes);
  if (needed > largestDib && !parsed.value.IsRunLength()) return {{Reason::kFileTooLarge}};
  const std::int64_t dibBytes = std::min(needed, claimedDib);

  CResultOf<FileImage> read;
  FileImage& image = read.value;
  image.pixelOffset = pixelOffset;
  image.pDib = static_cast<std::uint8_t*>(AllocateBlock(dibBytes));
  if (image.pDib == nullptr) return {{Reason::kOutOfMemory}};
  std::memcpy(image.pDib, head, static_cast<std::size_t>(headBytes));
  const std::int64_t rest = source.ReadFully(image.pDib + headBytes, dibBytes - headBytes);
  if (rest < 0 || (known && rest != dibBytes - headBytes)) return {source.ReadFailure()};
  image.dibSize = headBytes + rest;
  // A stream that ended early gives back the buffer it did not fill.
  if (image.dibSize < dibBytes) {
    if (void* shorter = ResizeBlock(image.pDib, image.dibSize)) image.pDib = static_cast<std::uint8_t*>(shorter);
  }
  return read;
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

// Grows the file image with zeros so that it holds every row of the byte
// plane: the plane is addressed in place, so every stored row must exist in
// memory even when the file ends early. The block grows in place (or is
// moved by the system): a copy would hold the file twice, which for a file
// whose pixels start near its end is twice the file for a few rows.
bool ExtendFileImage(FileImage& file, const bmp::BmpDescription& picture) {
  const std::int64_t needed = picture.pixelOffset + bmp::RowStride(picture.width, 8) * picture.height;
  if (needed <= file.dibSize) return true;
  if (needed + bmp::kFileHeaderSize > kMaxFileLength) return false;
  auto* grown = static_cast<std::uint8_t*>(ResizeBlock(file.pDib, needed));
  if (grown == nullptr) return false;
  std::memset(grown + file.dibSize, 0, static_cast<std::size_t>(needed - file.dibSize));
  file.pDib = grown;
  file.dibSize = needed;
  return true;
}

CResultOf<PictureDecoding> PrepareDecoding(const std::uint8_t* dib, const bmp::BmpDescription& picture) {
  CResultOf<PictureDecoding> prepared;
  PictureDecoding& decoding = prepared.value;
  decoding.onBytePlane = HeldOnBytePlane(dib, picture);
  if (picture.format == bmp::PixelFormat::kBitFields) {
    const CResultOf<bmp::BitFieldLayout> fields = bmp::MakeBitFieldLayout(picture.masks, picture.bitCount);
    prepared.result = fields.result;
    decoding.fields = fields.value;
  } else if (!decoding.onBytePlane) {
    bmp::BuildIndexColours(ColourTableOf(dib, picture), decoding.colours);
  }
  return prepared;
}

// The byte plane's rows are the file image's own, which holds every stored
// row (extended with zeros when the file ends early): a copy of them would
// hold the picture twice, and nothing reads it that the plane cannot give.
void PointAtBytePlaneRows(CBmpImage& image) {
  for (std::int32_t row = 0; row < image.m_height; ++row) image.GrayRows()[row] = image.BytePlaneRow(row);
}

// Rows that are not the file image's own share one block: one allocation
// (on large pages when it is large), not one a row.
bool AllocateColourRows(CBmpImage& image) {
  const std::int64_t rowBytes = 3 * std::int64_t{image.m_width};
  image.m_pRowBlock = static_cast<std::uint8_t*>(AllocateBlock(rowBytes * image.m_height));
  if (image.m_pRowBlock == nullptr) return false;
  for (std::int32_t row = 0; row < image.m_height; ++row) image.RgbRows()[row] = image.m_pRowBlock + row * rowBytes;
  return true;
}

// A 24-bit file that holds every row needs no copy of them: its rows are the
// picture's, where they lie in the file image. False for any other file.
bool PointAtFileRows(CBmpImage& image, const bmp::BmpDescription& picture) {
  const std::int64_t stride = bmp::RowStride(image.m_width, picture.bitCount);
  if (picture.format != bmp::PixelFormat::kBgr24 || picture.pixelOffset + stride * image.m_height > image.m_dibSize) {
    return false;
  }
  for (std::int32_t storedRow = 0; storedRow < image.m_height; ++storedRow) {
    const std::int32_t row = image.m_isTopDown ? storedRow : image.m_height - 1 - storedRow;
    image.RgbRows()[row] = image.m_pBits + storedRow * stride;
  }
  return true;
}

// Run-length data need not set every pixel: those it leaves take the colour
// of the first colour-table entry, the picture's background.
void DecodeRunLengthRows(CBmpImage& image, const bmp::BmpDescription& picture, const PictureDecoding& decoding) {
  const std::uint8_t* background = decoding.colours.bgr[0];
  for (std::int32_t row = 0; row < image.m_height; ++row) {
    std::uint8_t* pixel = image.RgbRows()[row];
    for (std::int32_t x = 0; x < image.m_width; ++x, pixel += 3) std::memcpy(pixel, background, 3);
  }
  image.m_missingRows = bmp::DecodeRle(image.m_pBits, image.m_dibSize - picture.pixelOffset, picture.bitCount,
                                      image.m_width, image.m_height, decoding.colours, image.RgbRows());
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
    DecodeStoredRow(stored, picture, decoding, image.RgbRows()[row]);
  }
  ReleaseBlock(scratch);
  return true;
}

bool FillColourRows(CBmpImage& image, const bmp::BmpDescription& picture, const PictureDecoding& decoding) {
  if (PointAtFileRows(image, picture)) return true;
  if (!AllocateColourRows(image)) return false;
  if (picture.IsRunLength()) {
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

// A picture taller than the object's own tables gets one from the
// allocator, for the table of its layout only; every entry is set before
// anything reads it.
bool MakeTallRowTable(CBmpImage& image) {
  if (image.m_height <= kMaxRows) return true;
  auto* table = static_cast<std::uint8_t**>(AllocateBlock(image.m_height * std::int64_t{sizeof(std::uint8_t*)}));
  if (table == nullptr) return false;
  (image.m_is24Bit ? image.m_pTallRgbRows : image.m_pTallGrayRows) = table;
  return true;
}

// Stored rows the file image does not hold whole, for an uncompressed file:
// they are read as black. Run-length data counts its own as it decodes.
std::int32_t MissingStoredRows(const CBmpImage& image, const bmp::BmpDescription& picture, std::int64_t fileDib) {
  const std::int64_t stride = bmp::RowStride(picture.width, picture.bitCount);
  const std::int64_t heldRows = (fileDib - picture.pixelOffset) / stride;
  return heldRows >= image.m_height ? 0 : static_cast<std::int32_t>(image.m_height - heldRows);
}

// Parses the file image read and, once every field is checked, makes it the
// object's picture.
CResult AdoptFileImage(CBmpImage& image, FileImage& file, const CLoadLimits& limits) {
  const CResultOf<bmp::BmpDescription> parsed =
      bmp::ParseBmpHeader(file.pDib, file.dibSize, file.dibSize, file.pixelOffset, limits);
  if (!parsed.Ok()) return parsed.result;
  const bmp::BmpDescription& picture = parsed.value;
  const CResultOf<PictureDecoding> decoding = PrepareDecoding(file.pDib, picture);
  if (!decoding.Ok()) return decoding.result;
  const std::int64_t fileDib = file.dibSize;  // before the byte plane is completed with zeros
  if (decoding.value.onBytePlane && !ExtendFileImage(file, picture)) return {Reason::kOutOfMemory};

  // Everything is checked: the old picture goes, the new one comes in.
  image.Clear();
  image.m_fileLength = static_cast<std::int32_t>(fileDib + bmp::kFileHeaderSize);
  image.m_dibSize = static_cast<std::int32_t>(file.dibSize);
  image.m_pDib = std::exchange(file.pDib, nullptr);
  image.m_pInfo = image.m_pDib;
  // 3-byte OS/2 1.x entries cannot be addressed as 4-byte ones.
  image.m_pColors = picture.colourEntrySize == 4
                        ? reinterpret_cast<bmp::RgbQuad*>(image.m_pDib + picture.colourTableOffset)
                        : nullptr;
  image.m_nColors = picture.nColors;
  image.m_pBits = image.m_pDib + picture.pixelOffset;
  image.m_pixelOffset = static_cast<std::int32_t>(picture.pixelOffset + bmp::kFileHeaderSize);
  image.m_is24Bit = decoding.value.onBytePlane ? 0 : 1;
  image.m_fileBitCount = picture.bitCount;
  image.m_width = picture.width;
  image.m_height = picture.height;
  image.m_isTopDown = picture.topDown ? 1 : 0;
  BuildPalette(image, ColourTableOf(image.m_pDib, picture));

  if (!picture.IsRunLength()) image.m_missingRows = MissingStoredRows(image, picture, fileDib);
  bool filled = MakeTallRowTable(image);
  if (filled && image.m_is24Bit) filled = FillColourRows(image, picture, decoding.value);
  else if (filled) PointAtBytePlaneRows(image);
  if (!filled) {
    image.Clear();
    return {Reason::kOutOfMemory};
  }
  return {};
}

// Keeps why the load ended as the object's m_loadError and m_loadSystemError:
// 1 when it loaded, 0 when it was refused.
int KeepLoadResult(CBmpImage& image, const CResult& result) {
  image.m_loadError = result.reason;
  image.m_loadSystemError = result.systemError;
  return result.Ok() ? 1 : 0;
}

int LoadFromSource(CBmpImage& image, LoadSource& source, const CLoadLimits& limits) {
  CResultOf<FileImage> read = ReadFileImage(source, limits);
  return KeepLoadResult(image, read.Ok() ? AdoptFileImage(image, read.value, limits) : read.result);
}

template <typename PathChar>
int LoadFromPath(CBmpImage& image, const PathChar* path, const CLoadLimits& limits) noexcept {
  CFile file;
  const CResult opened = file.Open(path);
  const CResultOf<std::int64_t> length = opened.Ok() ? file.GetLength() : CResultOf<std::int64_t>{opened};
  if (!length.Ok()) return KeepLoadResult(image, length.result);
  LoadSource source{length.value, &file};
  return LoadFromSource(image, source, limits);
}

}  // namespace

int CBmpImage::LoadBmp(const char* path, const CLoadLimits& limits) noexcept {
  return LoadFromPath(*this, path, limits);
}

#if defined(_WIN32)
int CBmpImage::LoadBmpFromSystemPath(const SystemPathChar* path) noexcept {
  return LoadFromPath(*this, path, kExportLimits);
}
#endif

int CBmpImage::LoadBmpFromMemory(const std::uint8_t* bytes, std::int64_t length, const CLoadLimits& limits) noexcept {
  if (bytes == nullptr || length < 0) length = 0;
  LoadSource source{length, nullptr, {}, bytes};
  return LoadFromSource(*this, source, limits);
}

int CBmpImage::LoadBmpFromStream(const CByteStream& stream, const CLoadLimits& limits) noexcept {
  LoadSource source{-1, nullptr, stream};
  return LoadFromSource(*this, source, limits);
}

}  // namespace tamrovi
