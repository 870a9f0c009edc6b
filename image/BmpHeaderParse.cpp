#include "image/BmpHeaderParse.h"

#include <cstring>

#include "image/ByteReader.h"

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
  BitFieldMasks masks;
};

BmpLoadError FamilyOfHeaderSize(std::uint32_t size, HeaderFamily& family) {
  if (size < kOs2CoreHeaderSize) return BmpLoadError::kInfoHeaderTooSmall;
  if (size == kOs2CoreHeaderSize) {
    family = HeaderFamily::kOs2Core;
  } else if (size < kOs2V2SmallestHeader) {
    return BmpLoadError::kUnknownInfoHeaderSize;
  } else if (size <= kOs2V2LargestHeader && size != static_cast<std::uint32_t>(kInfoHeaderSize) &&
             size != kMasksHeaderSize && size != kAlphaMaskHeaderSize) {
    family = HeaderFamily::kOs2V2;
  } else {
    family = HeaderFamily::kWindows;
  }
  return BmpLoadError::kNone;
}

bool ReadOs2CoreFields(const std::uint8_t* dib, RawHeader& raw) {
  CByteReader fields(dib + 4, kOs2CoreHeaderSize - 4);
  std::uint16_t width = 0, height = 0, planes = 0, bitCount = 0;
  const bool read =
      fields.ReadU16(width) && fields.ReadU16(height) && fields.ReadU16(planes) && fields.ReadU16(bitCount);
  raw.width = width;
  raw.height = height;
  raw.bitCount = bitCount;
  return read;
}

// The later families share one layout; a header too short for a field leaves
// it 0, so the header is read from a zero-padded copy.
bool ReadInfoFields(const std::uint8_t* dib, RawHeader& raw) {
  std::uint8_t header[kLargestKnownHeader] = {};
  std::memcpy(header, dib, raw.size < kLargestKnownHeader ? raw.size : kLargestKnownHeader);
  CByteReader fields(header, sizeof header);
  std::uint32_t size = 0, imageSize = 0, coloursImportant = 0;
  std::int32_t width = 0, height = 0, xResolution = 0, yResolution = 0;
  std::uint16_t planes = 0, bitCount = 0;
  const bool read = fields.ReadU32(size) && fields.ReadS32(width) && fields.ReadS32(height) && fields.ReadU16(planes) &&
      fields.ReadU16(bitCount) && fields.ReadU32(raw.compression) && fields.ReadU32(imageSize) &&
      fields.ReadS32(xResolution) && fields.ReadS32(yResolution) && fields.ReadU32(raw.coloursUsed) &&
      fields.ReadU32(coloursImportant) && fields.ReadU32(raw.masks.red) && fields.ReadU32(raw.masks.green) &&
      fields.ReadU32(raw.masks.blue) && fields.ReadU32(raw.masks.alpha);
  raw.width = width;
  raw.height = height;
  raw.bitCount = bitCount;
  // OS/2 2.x headers keep other fields where the Windows ones keep masks.
  raw.holdsMasks = raw.family == HeaderFamily::kWindows && raw.size >= kMasksHeaderSize;
  return read;
}

BmpLoadError ReadRawHeader(const std::uint8_t* dib, std::int64_t dibSize, RawHeader& raw) {
  CByteReader reader(dib, dibSize < 4 ? dibSize : 4);
  if (!reader.ReadU32(raw.size)) return BmpLoadError::kTooShort;
  const BmpLoadError family = FamilyOfHeaderSize(raw.size, raw.family);
  if (family != BmpLoadError::kNone) return family;
  if (raw.size > static_cast<std::uint64_t>(dibSize)) {
    // A known header cut short is a truncated file; a larger size is a bad field.
    return raw.size <= kLargestKnownHeader ? BmpLoadError::kTooShort : BmpLoadError::kInfoHeaderPastEnd;
  }
  const bool read = raw.family == HeaderFamily::kOs2Core ? ReadOs2CoreFields(dib, raw) : ReadInfoFields(dib, raw);
  return read ? BmpLoadError::kNone : BmpLoadError::kTooShort;
}

bool IsReadableBitCount(int bitCount) {
  switch (bitCount) {
    case 1: case 2: case 4: case 8: case 16: case 24: case 32: return true;
    default: return false;
  }
}

// Compressions that are refused whatever the bit count: their pixels are not
// in any form this reader decodes.
BmpLoadError RefuseCompression(const RawHeader& raw) {
  const bool os2 = raw.family == HeaderFamily::kOs2V2;
  switch (raw.compression) {
    case kBiRgb: case kBiRle8: case kBiRle4: return BmpLoadError::kNone;
    case kBiBitFields: return os2 ? BmpLoadError::kOs2Huffman : BmpLoadError::kNone;
    case kBiJpeg: return os2 ? BmpLoadError::kOs2Rle24 : BmpLoadError::kEmbeddedJpeg;
    case kBiPng: return BmpLoadError::kEmbeddedPng;
    case kBiAlphaBitFields: return os2 ? BmpLoadError::kUnsupportedCompression : BmpLoadError::kNone;
    case kBiCmyk: case kBiCmykRle8: case kBiCmykRle4: return BmpLoadError::kCmyk;
    default: return BmpLoadError::kUnsupportedCompression;
  }
}

BmpLoadError PixelFormatOf(const RawHeader& raw, PixelFormat& format) {
  const int bits = raw.bitCount;
  const bool bitFieldBits = bits == 16 || bits == 32;
  switch (raw.compression) {
    case kBiRgb:
      format = bits <= 8 ? PixelFormat::kIndexed : bits == 24 ? PixelFormat::kBgr24 : PixelFormat::kBitFields;
      return BmpLoadError::kNone;
    case kBiRle8:
      format = PixelFormat::kRle8;
      return bits == 8 ? BmpLoadError::kNone : BmpLoadError::kCompressionBitCountMismatch;
    case kBiRle4:
      format = PixelFormat::kRle4;
      return bits == 4 ? BmpLoadError::kNone : BmpLoadError::kCompressionBitCountMismatch;
    default:  // the two bit-field compressions; RefuseCompression let no other through
      format = PixelFormat::kBitFields;
      return bitFieldBits ? BmpLoadError::kNone : BmpLoadError::kCompressionBitCountMismatch;
  }
}

// The masks of an uncompressed 16- or 32-bit picture: 5-5-5, and 8-8-8 with
// the top byte unused.
BitFieldMasks DefaultMasks(int bitCount) {
  if (bitCount == 16) return {0x7C00, 0x03E0, 0x001F, 0};
  return {0x00FF0000, 0x0000FF00, 0x000000FF, 0};
}

// Fills in the masks and returns how many bytes of masks follow the header.
BmpLoadError ReadMasks(const std::uint8_t* dib, std::int64_t heldBytes, const RawHeader& raw,
                       BmpDescription& description, std::int64_t& maskBytes) {
  maskBytes = 0;
  if (description.format != PixelFormat::kBitFields) return BmpLoadError::kNone;
  if (raw.compression == kBiRgb) {
    description.masks = DefaultMasks(raw.bitCount);
    return BmpLoadError::kNone;
  }
  if (raw.holdsMasks) {
    description.masks = raw.masks;
    return BmpLoadError::kNone;
  }
  // A 40-byte header: the masks are the words after it, alpha last.
  CByteReader words(dib + raw.size, heldBytes - raw.size);
  BitFieldMasks& masks = description.masks;
  const bool withAlpha = raw.compression == kBiAlphaBitFields;
  if (!words.ReadU32(masks.red) || !words.ReadU32(masks.green) || !words.ReadU32(masks.blue) ||
      (withAlpha && !words.ReadU32(masks.alpha))) {
    return BmpLoadError::kMasksPastEnd;
  }
  maskBytes = words.Position();
  return BmpLoadError::kNone;
}

BmpLoadError CheckGeometry(const RawHeader& raw, const CLoadLimits& limits, BmpDescription& description) {
  if (raw.width < 0) return BmpLoadError::kNegativeWidth;
  if (raw.width > limits.maxWidth) return BmpLoadError::kTooWide;
  // -2^31 has no positive row count; anything beyond the limit either way is too tall.
  if (raw.height < -std::int64_t{limits.maxRows} || raw.height > limits.maxRows) return BmpLoadError::kTooTall;
  if (raw.width == 0 || raw.height == 0) return BmpLoadError::kNoPixels;
  const std::int64_t rows = raw.height < 0 ? -raw.height : raw.height;
  if (raw.width * rows > limits.maxPixels) return BmpLoadError::kTooManyPixels;
  const bool topDown = raw.height < 0;
  const bool compressed = description.format == PixelFormat::kRle8 || description.format == PixelFormat::kRle4;
  // Run-length data moves up the picture from its bottom row.
  if (topDown && compressed) return BmpLoadError::kCompressedTopDown;
  description.width = static_cast<std::int32_t>(raw.width);
  description.height = static_cast<std::int32_t>(topDown ? -raw.height : raw.height);
  description.topDown = topDown;
  return BmpLoadError::kNone;
}

BmpLoadError LocateColourTable(std::int64_t dibSize, std::uint32_t filePixelOffset, const RawHeader& raw,
                               std::int64_t maskBytes, BmpDescription& description) {
  description.colourTableOffset = raw.size + maskBytes;
  description.colourEntrySize = raw.family == HeaderFamily::kOs2Core ? 3 : 4;
  if (raw.bitCount > 8) return BmpLoadError::kNone;

  std::int64_t count = std::int64_t{1} << raw.bitCount;
  if (raw.family == HeaderFamily::kOs2Core) {
    // OS/2 1.x has no colours-used field; writers that store fewer entries
    // start the pixels sooner.
    const std::int64_t room = (std::int64_t{filePixelOffset} - kFileHeaderSize - raw.size) / 3;
    if (room >= 0 && room < count) count = room;
  } else if (raw.coloursUsed != 0) {
    if (raw.coloursUsed > kMaxColoursUsed) return BmpLoadError::kTooManyColours;
    count = raw.coloursUsed;
  }
  if (description.colourTableOffset + description.colourEntrySize * count > dibSize) {
    return BmpLoadError::kColourTablePastEnd;
  }
  description.nColors = static_cast<std::int32_t>(count);
  return BmpLoadError::kNone;
}

}  // namespace

BmpLoadError ParseBmpHeader(const std::uint8_t* dib, std::int64_t heldBytes, std::int64_t dibSize,
                            std::uint32_t filePixelOffset, const CLoadLimits& limits,
                            BmpDescription& description) noexcept {
  RawHeader raw;
  BmpLoadError error = ReadRawHeader(dib, dibSize, raw);
  if (error != BmpLoadError::kNone) return error;
  if ((error = RefuseCompression(raw)) != BmpLoadError::kNone) return error;
  if (!IsReadableBitCount(raw.bitCount)) return BmpLoadError::kUnsupportedBitCount;

  BmpDescription parsed;
  parsed.family = raw.family;
  parsed.headerSize = static_cast<std::int32_t>(raw.size);
  parsed.bitCount = raw.bitCount;
  std::int64_t maskBytes = 0;
  if ((error = PixelFormatOf(raw, parsed.format)) != BmpLoadError::kNone) return error;
  if ((error = CheckGeometry(raw, limits, parsed)) != BmpLoadError::kNone) return error;
  if ((error = ReadMasks(dib, heldBytes, raw, parsed, maskBytes)) != BmpLoadError::kNone) return error;
  if ((error = LocateColourTable(dibSize, filePixelOffset, raw, maskBytes, parsed)) != BmpLoadError::kNone) {
    return error;
  }
  const std::int64_t pixelOffset = std::int64_t{filePixelOffset} - kFileHeaderSize;
  if (pixelOffset < raw.size + maskBytes || pixelOffset > dibSize) return BmpLoadError::kBadPixelOffset;
  parsed.pixelOffset = pixelOffset;

  description = parsed;
  return BmpLoadError::kNone;
}

}  // namespace tamrovi::bmp
