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
};

Reason FamilyOfHeaderSize(std::uint32_t size, HeaderFamily& family) {
  if (size < kOs2CoreHeaderSize) return Reason::kInfoHeaderTooSmall;
  if (size == kOs2CoreHeaderSize) {
    family = HeaderFamily::kOs2Core;
  } else if (size < kOs2V2SmallestHeader) {
    return Reason::kUnknownInfoHeaderSize;
  } else if (size <= kOs2V2LargestHeader && size != static_cast<std::uint32_t>(kInfoHeaderSize) &&
             size != kMasksHeaderSize && size != kAlphaMaskHeaderSize) {
    family = HeaderFamily::kOs2V2;
  } else {
    family = HeaderFamily::kWindows;
  }
  return Reason::kNone;
}

// The fields are read at the offsets the writer puts them at (BmpFormat.h).
void ReadOs2CoreFields(const std::uint8_t* dib, RawHeader& raw) {
  raw.width = ReadU16(dib + kCoreWidth);
  raw.height = ReadU16(dib + kCoreHeight);
  raw.bitCount = ReadU16(dib + kCoreBitCount);
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
}

Reason ReadRawHeader(const std::uint8_t* dib, std::int64_t dibSize, RawHeader& raw) {
  if (dibSize < 4) return Reason::kTooShort;
  raw.size = ReadU32(dib + kInfoSize);
  const Reason family = FamilyOfHeaderSize(raw.size, raw.family);
  if (family != Reason::kNone) return family;
  if (raw.size > static_cast<std::uint64_t>(dibSize)) {
    // A known header cut short is a truncated file; a larger size is a bad field.
    return raw.size <= kLargestKnownHeader ? Reason::kTooShort : Reason::kInfoHeaderPastEnd;
  }
  if (raw.family == HeaderFamily::kOs2Core) {
    ReadOs2CoreFields(dib, raw);
  } else {
    ReadInfoFields(dib, raw);
  }
  return Reason::kNone;
}

bool IsReadableBitCount(int bitCount) {
  switch (bitCount) {
    case 1: case 2: case 4: case 8: case 16: case 24: case 32: return true;
    default: return false;
  }
}

// Compressions that are refused whatever the bit count: their pixels are not
// in any form this reader decodes.
Reason RefuseCompression(const RawHeader& raw) {
  const bool os2 = raw.family == HeaderFamily::kOs2V2;
  switch (raw.compression) {
    case kBiRgb: case kBiRle8: case kBiRle4: return Reason::kNone;
    case kBiBitFields: return os2 ? Reason::kOs2Huffman : Reason::kNone;
    case kBiJpeg: return os2 ? Reason::kOs2Rle24 : Reason::kEmbeddedJpeg;
    case kBiPng: return Reason::kEmbeddedPng;
    case kBiAlphaBitFields: return os2 ? Reason::kUnsupportedCompression : Reason::kNone;
    case kBiCmyk: case kBiCmykRle8: case kBiCmykRle4: return Reason::kCmyk;
    default: return Reason::kUnsupportedCompression;
  }
}

Reason PixelFormatOf(const RawHeader& raw, PixelFormat& format) {
  const int bits = raw.bitCount;
  const bool bitFieldBits = bits == 16 || bits == 32;
  switch (raw.compression) {
    case kBiRgb:
      format = bits <= 8 ? PixelFormat::kIndexed : bits == 24 ? PixelFormat::kBgr24 : PixelFormat::kBitFields;
      return Reason::kNone;
    case kBiRle8:
      format = PixelFormat::kRle8;
      return bits == 8 ? Reason::kNone : Reason::kCompressionBitCountMismatch;
    case kBiRle4:
      format = PixelFormat::kRle4;
      return bits == 4 ? Reason::kNone : Reason::kCompressionBitCountMismatch;
    default:  // the two bit-field compressions; RefuseCompression let no other through
      format = PixelFormat::kBitFields;
      return bitFieldBits ? Reason::kNone : Reason::kCompressionBitCountMismatch;
  }
}

// The masks of an uncompressed 16- or 32-bit picture: 5-5-5, and 8-8-8 with
// the top byte unused.
BitFieldMasks DefaultMasks(int bitCount) {
  if (bitCount == 16) return {0x7C00, 0x03E0, 0x001F, 0};
  return {0x00FF0000, 0x0000FF00, 0x000000FF, 0};
}

// Fills in the masks and returns how many bytes of masks follow the header.
Reason ReadMasks(const std::uint8_t* dib, std::int64_t heldBytes, const RawHeader& raw,
                       BmpDescription& description, std::int64_t& maskBytes) {
  maskBytes = 0;
  if (description.format != PixelFormat::kBitFields) return Reason::kNone;
  if (raw.compression == kBiRgb) {
    description.masks = DefaultMasks(raw.bitCount);
    return Reason::kNone;
  }
  // Headers of 52 bytes or more hold the masks (the alpha mask from 56 on);
  // after a 40-byte header they follow it, alpha last: either way at the
  // info header's field offsets (BmpFormat.h).
  const bool withAlpha = raw.holdsMasks ? raw.size >= kAlphaMaskHeaderSize : raw.compression == kBiAlphaBitFields;
  if (!raw.holdsMasks) {
    maskBytes = withAlpha ? 16 : 12;
    if (raw.size + maskBytes > heldBytes) return Reason::kMasksPastEnd;
  }
  description.masks = {ReadU32(dib + kInfoRedMask), ReadU32(dib + kInfoGreenMask), ReadU32(dib + kInfoBlueMask),
                       withAlpha ? ReadU32(dib + kInfoAlphaMask) : 0};
  return Reason::kNone;
}

Reason CheckGeometry(const RawHeader& raw, const CLoadLimits& limits, BmpDescription& description) {
  if (raw.width < 0) return Reason::kNegativeWidth;
  if (raw.width > limits.maxWidth) return Reason::kTooWide;
  // -2^31 has no positive row count; anything beyond the limit either way is too tall.
  if (raw.height < -std::int64_t{limits.maxRows} || raw.height > limits.maxRows) return Reason::kTooTall;
  if (raw.width == 0 || raw.height == 0) return Reason::kNoPixels;
  const std::int64_t rows = raw.height < 0 ? -raw.height : raw.height;
  if (raw.width * rows > limits.maxPixels) return Reason::kTooManyPixels;
  const bool topDown = raw.height < 0;
  // Run-length data moves up the picture from its bottom row.
  if (topDown && description.IsRunLength()) return Reason::kCompressedTopDown;
  description.width = static_cast<std::int32_t>(raw.width);
  description.height = static_cast<std::int32_t>(topDown ? -raw.height : raw.height);
  description.topDown = topDown;
  return Reason::kNone;
}

Reason LocateColourTable(std::int64_t dibSize, std::uint32_t filePixelOffset, const RawHeader& raw,
                               std::int64_t maskBytes, BmpDescription& description) {
  description.colourTableOffset = raw.size + maskBytes;
  description.colourEntrySize = raw.family == HeaderFamily::kOs2Core ? 3 : 4;
  if (raw.bitCount > 8) return Reason::kNone;

  std::int64_t count = std::int64_t{1} << raw.bitCount;
  if (raw.family == HeaderFamily::kOs2Core) {
    // OS/2 1.x has no colours-used field; writers that store fewer entries
    // start the pixels sooner.
    const std::int64_t room = (std::int64_t{filePixelOffset} - kFileHeaderSize - raw.size) / 3;
    if (room >= 0 && room < count) count = room;
  } else if (raw.coloursUsed != 0) {
    if (raw.coloursUsed > kMaxColoursUsed) return Reason::kTooManyColours;
    count = raw.coloursUsed;
  }
  if (description.colourTableOffset + description.colourEntrySize * count > dibSize) {
    return Reason::kColourTablePastEnd;
  }
  description.nColors = static_cast<std::int32_t>(count);
  return Reason::kNone;
}

}  // namespace

CResultOf<BmpDescription> ParseBmpHeader(const std::uint8_t* dib, std::int64_t heldBytes, std::int64_t dibSize,
                                         std::uint32_t filePixelOffset, const CLoadLimits& limits) noexcept {
  RawHeader raw;
  Reason error = ReadRawHeader(dib, dibSize, raw);
  if (error != Reason::kNone) return {{error}};
  if ((error = RefuseCompression(raw)) != Reason::kNone) return {{error}};
  if (!IsReadableBitCount(raw.bitCount)) return {{Reason::kUnsupportedBitCount}};

  BmpDescription parsed;
  parsed.family = raw.family;
  parsed.headerSize = static_cast<std::int32_t>(raw.size);
  parsed.bitCount = raw.bitCount;
  std::int64_t maskBytes = 0;
  if ((error = PixelFormatOf(raw, parsed.format)) != Reason::kNone) return {{error}};
  if ((error = CheckGeometry(raw, limits, parsed)) != Reason::kNone) return {{error}};
  if ((error = ReadMasks(dib, heldBytes, raw, parsed, maskBytes)) != Reason::kNone) return {{error}};
  if ((error = LocateColourTable(dibSize, filePixelOffset, raw, maskBytes, parsed)) != Reason::kNone) {
    return {{error}};
  }
  const std::int64_t pixelOffset = std::int64_t{filePixelOffset} - kFileHeaderSize;
  if (pixelOffset < raw.size + maskBytes || pixelOffset > dibSize) return {{Reason::kBadPixelOffset}};
  parsed.pixelOffset = pixelOffset;
  return {{}, parsed};
}

}  // namespace tamrovi::bmp
