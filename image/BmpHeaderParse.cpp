#include "image/BmpHeaderParse.h"

#include <cstring>

#include "image/BmpFormat.h"

namespace tamrovi::bmp {
namespace {

constexpr std::uint32_t kOs2CoreHeaderSize = 12;
constexpr std::uint32_t kOs2V2SmallestHeader = 16;
constexpr std::uint32_t kOs2V2LargestHeader = 64;
constexpr std::uint32_t kMasksHeaderSize = 52;       // the first Windows header that holds colour masks
constexpr std::uint32_t kAlphaMaskHeaderSize = 56;   // ... and the alpha mask (never used)
constexpr std::uint32_t kLargestKnownHeader = kHeaderBytesParsed;  // the V5 header; later bytes are never read

// The colours-used field can name at most this many entries: a palette holds
// a 16-bit entry count.
constexpr std::uint32_t kMaxColoursUsed = 65535;

// Values of the compression field.
constexpr std::uint32_t kBiRgb = 0;
constexpr std::uint32_t kBiRle8 = 1;
constexpr std::uint32_t kBiRle4 = 2;
constexpr std::uint32_t kBiBitFields = 3;      // OS/2 2.x: Huffman 1D
constexpr std::uint32_t kBiJpeg = 4;           // OS/2 2.x: 24-bit RLE
constexpr std::uint32_t kBiPng = 5;
constexpr std::uint32_t kBiAlphaBitFields = 6;
constexpr std::uint32_t kBiCmyk = 11;
constexpr std::uint32_t kBiCmykRle8 = 12;
constexpr std::uint32_t kBiCmykRle4 = 13;

// The header's fields as stored, before any of them is checked.
struct RawHeader {
  HeaderFamily family = HeaderFamily::kWindows;
  std::uint32_t size = 0;
  std::int64_t width = 0;
  std::int64_t height = 0;
  int bitCount = 0;
  std::uint32_t compression = kBiRgb;
  std::uint32_t coloursUsed = 0;
  bool holdsMasks = false;
  std::int64_t maskBytes = 0;  // bit-field masks stored after the header
};

CResultOf<HeaderFamily> FamilyOfHeaderSize(std::uint32_t size) {
  if (size < kOs2CoreHeaderSize) return {{Reason::kInfoHeaderTooSmall}};
  if (size == kOs2CoreHeaderSize) return {{}, HeaderFamily::kOs2Core};
  if (size < kOs2V2SmallestHeader) return {{Reason::kUnknownInfoHeaderSize}};
  const bool windowsSize = size == static_cast<std::uint32_t>(kInfoHeaderSize) || size == kMasksHeaderSize ||
                           size == kAlphaMaskHeaderSize;
  return {{}, size <= kOs2V2LargestHeader && !windowsSize ? HeaderFamily::kOs2V2 : HeaderFamily::kWindows};
}

// The later families share one layout; a header too short for a field leaves
// it 0, so the header is read from a zero-padded copy.
void ReadInfoFields(const std::uint8_t* dib, RawHeader& raw) {
  std::uint8_t header[kLargestKnownHeader] = {};
  std::memcpy(header, dib, raw.size < kLargestKnownHeader ? raw.size : kLargestKnownHeader);
  raw.width = ReadS32(header + kInfoWidth);
  raw.height = ReadS32(header + kInfoHeight);
  raw.bitCount = ReadU16(header + kInfoBitCount);
  raw.compression = ReadU32(header + kInfoCompression);
  raw.coloursUsed = ReadU32(header + kInfoColoursUsed);
  // OS/2 2.x headers keep other fields where the Windows ones keep masks.
  raw.holdsMasks = raw.family == HeaderFamily::kWindows && raw.size >= kMasksHeaderSize;
  // A shorter header is followed by its masks, as 3 words or 4 with alpha.
  if (!raw.holdsMasks && (raw.compression == kBiBitFields || raw.compression == kBiAlphaBitFields)) {
    raw.maskBytes = raw.compression == kBiAlphaBitFields ? 16 : 12;
  }
}

// The fields are read at the offsets the writer puts them at (BmpFormat.h).
CResultOf<RawHeader> ReadRawHeader(const std::uint8_t* dib, std::int64_t dibSize) {
  if (dibSize < 4) return {{Reason::kTooShort}};
  RawHeader raw;
  raw.size = ReadU32(dib + kInfoSize);
  const CResultOf<HeaderFamily> family = FamilyOfHeaderSize(raw.size);
  if (!family.Ok()) return {family.result};
  raw.family = family.value;
  if (raw.size > static_cast<std::uint64_t>(dibSize)) {
    // A known header cut short is a truncated file; a larger size is a bad field.
    return {{raw.size <= kLargestKnownHeader ? Reason::kTooShort : Reason::kInfoHeaderPastEnd}};
  }
  if (raw.family == HeaderFamily::kOs2Core) {
    raw.width = ReadU16(dib + kCoreWidth);
    raw.height = ReadU16(dib + kCoreHeight);
    raw.bitCount = ReadU16(dib + kCoreBitCount);
  } else {
    ReadInfoFields(dib, raw);
  }
  return {{}, raw};
}

bool IsReadableBitCount(int bitCount) {
  switch (bitCount) {
    case 1: case 2: case 4: case 8: case 16: case 24: case 32: return true;
    default: return false;
  }
}

// Compressions that are refused whatever the bit count: their pixels are not
// in any form this reader decodes.
CResult RefuseCompression(const RawHeader& raw) {
  const bool os2 = raw.family == HeaderFamily::kOs2V2;
  switch (raw.compression) {
    case kBiRgb: case kBiRle8: case kBiRle4: return {};
    case kBiBitFields: return {os2 ? Reason::kOs2Huffman : Reason::kNone};
    case kBiJpeg: return {os2 ? Reason::kOs2Rle24 : Reason::kEmbeddedJpeg};
    case kBiPng: return {Reason::kEmbeddedPng};
    case kBiAlphaBitFields: return {os2 ? Reason::kUnsupportedCompression : Reason::kNone};
    case kBiCmyk: case kBiCmykRle8: case kBiCmykRle4: return {Reason::kCmyk};
    default: return {Reason::kUnsupportedCompression};
  }
}

CResultOf<PixelFormat> PixelFormatOf(const RawHeader& raw) {
  const int bits = raw.bitCount;
  switch (raw.compression) {
    case kBiRgb:
      return {{}, bits <= 8 ? PixelFormat::kIndexed : bits == 24 ? PixelFormat::kBgr24 : PixelFormat::kBitFields};
    case kBiRle8:
      if (bits != 8) return {{Reason::kCompressionBitCountMismatch}};
      return {{}, PixelFormat::kRle8};
    case kBiRle4:
      if (bits != 4) return {{Reason::kCompressionBitCountMismatch}};
      return {{}, PixelFormat::kRle4};
    default:  // the two bit-field compressions; RefuseCompression let no other through
      if (bits != 16 && bits != 32) return {{Reason::kCompressionBitCountMismatch}};
      return {{}, PixelFormat::kBitFields};
  }
}

// The masks of a bit-field picture. Uncompressed 16- and 32-bit pictures have
// the defaults of their bit count: 5-5-5, and 8-8-8 with the top byte unused.
// Headers of 52 bytes or more hold the masks (the alpha mask from 56 on);
// after a 40-byte header they follow it, alpha last: either way at the info
// header's field offsets (BmpFormat.h).
CResultOf<BitFieldMasks> ReadMasks(const std::uint8_t* dib, std::int64_t heldBytes, const RawHeader& raw) {
  if (raw.compression == kBiRgb) {
    if (raw.bitCount == 16) return {{}, {0x7C00, 0x03E0, 0x001F, 0}};
    return {{}, {0x00FF0000, 0x0000FF00, 0x000000FF, 0}};
  }
  if (!raw.holdsMasks && raw.size + raw.maskBytes > heldBytes) return {{Reason::kMasksPastEnd}};
  const bool withAlpha = raw.holdsMasks ? raw.size >= kAlphaMaskHeaderSize : raw.compression == kBiAlphaBitFields;
  return {{}, {ReadU32(dib + kInfoRedMask), ReadU32(dib + kInfoGreenMask), ReadU32(dib + kInfoBlueMask),
               withAlpha ? ReadU32(dib + kInfoAlphaMask) : 0}};
}

CResult CheckGeometry(const RawHeader& raw, const CLoadLimits& limits, bool runLength) {
  if (raw.width < 0) return {Reason::kNegativeWidth};
  if (raw.width > limits.maxWidth) return {Reason::kTooWide};
  // -2^31 has no positive row count; anything beyond the limit either way is too tall.
  if (raw.height < -std::int64_t{limits.maxRows} || raw.height > limits.maxRows) return {Reason::kTooTall};
  if (raw.width == 0 || raw.height == 0) return {Reason::kNoPixels};
  const std::int64_t rows = raw.height < 0 ? -raw.height : raw.height;
  if (raw.width * rows > limits.maxPixels) return {Reason::kTooManyPixels};
  // Run-length data moves up the picture from its bottom row.
  if (raw.height < 0 && runLength) return {Reason::kCompressedTopDown};
  return {};
}

// The entries of the colour table that `parsed` places, which must lie
// inside the file.
CResultOf<std::int32_t> CountColours(std::int64_t dibSize, std::uint32_t filePixelOffset, const RawHeader& raw,
                                     const BmpDescription& parsed) {
  if (raw.bitCount > 8) return {};
  std::int64_t count = std::int64_t{1} << raw.bitCount;
  if (raw.family == HeaderFamily::kOs2Core) {
    // OS/2 1.x has no colours-used field; writers that store fewer entries
    // start the pixels sooner.
    const std::int64_t room = (std::int64_t{filePixelOffset} - kFileHeaderSize - raw.size) / 3;
    if (room >= 0 && room < count) count = room;
  } else if (raw.coloursUsed != 0) {
    if (raw.coloursUsed > kMaxColoursUsed) return {{Reason::kTooManyColours}};
    count = raw.coloursUsed;
  }
  if (parsed.colourTableOffset + parsed.colourEntrySize * count > dibSize) return {{Reason::kColourTablePastEnd}};
  return {{}, static_cast<std::int32_t>(count)};
}

}  // namespace

CResultOf<BmpDescription> ParseBmpHeader(const std::uint8_t* dib, std::int64_t heldBytes, std::int64_t dibSize,
                                         std::uint32_t filePixelOffset, const CLoadLimits& limits) noexcept {
  const CResultOf<RawHeader> read = ReadRawHeader(dib, dibSize);
  if (!read.Ok()) return {read.result};
  const RawHeader& raw = read.value;
  if (const CResult refused = RefuseCompression(raw); !refused.Ok()) return {refused};
  if (!IsReadableBitCount(raw.bitCount)) return {{Reason::kUnsupportedBitCount}};
  const CResultOf<PixelFormat> format = PixelFormatOf(raw);
  if (!format.Ok()) return {format.result};

  BmpDescription parsed;
  parsed.family = raw.family;
  parsed.headerSize = static_cast<std::int32_t>(raw.size);
  parsed.bitCount = raw.bitCount;
  parsed.format = format.value;
  if (const CResult geometry = CheckGeometry(raw, limits, parsed.IsRunLength()); !geometry.Ok()) return {geometry};
  parsed.width = static_cast<std::int32_t>(raw.width);
  parsed.topDown = raw.height < 0;
  parsed.height = static_cast<std::int32_t>(parsed.topDown ? -raw.height : raw.height);
  if (parsed.format == PixelFormat::kBitFields) {
    const CResultOf<BitFieldMasks> masks = ReadMasks(dib, heldBytes, raw);
    if (!masks.Ok()) return {masks.result};
    parsed.masks = masks.value;
  }
  parsed.colourTableOffset = raw.size + raw.maskBytes;
  parsed.colourEntrySize = raw.family == HeaderFamily::kOs2Core ? 3 : 4;
  const CResultOf<std::int32_t> colours = CountColours(dibSize, filePixelOffset, raw, parsed);
  if (!colours.Ok()) return {colours.result};
  parsed.nColors = colours.value;
  const std::int64_t pixelOffset = std::int64_t{filePixelOffset} - kFileHeaderSize;
  if (pixelOffset < parsed.colourTableOffset || pixelOffset > dibSize) return {{Reason::kBadPixelOffset}};
  parsed.pixelOffset = pixelOffset;
  return {{}, parsed};
}

}  // namespace tamrovi::bmp
