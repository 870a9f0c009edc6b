#include "support/BmpBuilder.h"

#include <fstream>
#include <iterator>
#include <filesystem>

namespace bmptest {

void PutU16(Bytes& out, std::uint32_t value) {
  out.push_back(static_cast<std::uint8_t>(value));
  out.push_back(static_cast<std::uint8_t>(value >> 8));
}

void PutU32(Bytes& out, std::uint32_t value) {
  PutU16(out, value);
  PutU16(out, value >> 16);
}

namespace {

Bytes Os2CoreHeader(const BmpFile& file) {
  Bytes info;
  PutU32(info, file.headerSize);
  PutU16(info, static_cast<std::uint32_t>(file.width));
  PutU16(info, static_cast<std::uint32_t>(file.height));
  PutU16(info, file.planes);
  PutU16(info, file.bitCount);
  return info;
}

}  // namespace

Bytes BmpFile::Build() const {
  Bytes info = headerLayout == HeaderLayout::kOs2Core ? Os2CoreHeader(*this) : InfoHeader();
  if (headerLayout == HeaderLayout::kCutToSize && headerSize < info.size()) info.resize(headerSize);
  if (headerSize > info.size() && headerSize < (1u << 20)) info.resize(headerSize, 0);
  info.insert(info.end(), afterHeader.begin(), afterHeader.end());

  const std::uint32_t offset =
      pixelOffset != 0 ? pixelOffset : static_cast<std::uint32_t>(14 + info.size() + colourTable.size() + gap.size());
  const std::uint32_t total =
      static_cast<std::uint32_t>(14 + info.size() + colourTable.size() + gap.size() + pixels.size());
  Bytes out;
  PutU16(out, type);
  PutU32(out, fileSize != 0 ? fileSize : total);
  PutU16(out, reserved1);
  PutU16(out, reserved2);
  PutU32(out, offset);
  out.insert(out.end(), info.begin(), info.end());
  out.insert(out.end(), colourTable.begin(), colourTable.end());
  out.insert(out.end(), gap.begin(), gap.end());
  out.insert(out.end(), pixels.begin(), pixels.end());
  return out;
}

Bytes BmpFile::InfoHeader() const {
  Bytes info;
  PutU32(info, headerSize);
  PutU32(info, static_cast<std::uint32_t>(width));
  PutU32(info, static_cast<std::uint32_t>(height));
  PutU16(info, planes);
  PutU16(info, bitCount);
  PutU32(info, compression);
  PutU32(info, imageSize);
  PutU32(info, static_cast<std::uint32_t>(xPixelsPerMetre));
  PutU32(info, static_cast<std::uint32_t>(yPixelsPerMetre));
  PutU32(info, coloursUsed);
  PutU32(info, coloursImportant);
  info.insert(info.end(), extraHeader.begin(), extraHeader.end());
  return info;
}

Bytes GrayColourTable(int count) {
  Bytes table;
  for (int i = 0; i < count; ++i) {
    const auto level = static_cast<std::uint8_t>(i);
    table.insert(table.end(), {level, level, level, 0});
  }
  return table;
}

namespace {

// Stores rows given from the top in file order, each padded to 4 bytes.
Bytes StoreRows(const Bytes& rows, std::size_t rowBytes, std::int32_t height, bool topDown) {
  const std::size_t stride = (rowBytes + 3) / 4 * 4;
  Bytes stored;
  for (std::int32_t i = 0; i < height; ++i) {
    const std::int32_t row = topDown ? i : height - 1 - i;
    const auto start = rows.begin() + static_cast<std::ptrdiff_t>(row * rowBytes);
    stored.insert(stored.end(), start, start + static_cast<std::ptrdiff_t>(rowBytes));
    stored.resize(stored.size() + stride - rowBytes, 0);
  }
  return stored;
}

}  // namespace

BmpFile Make24(std::int32_t width, std::int32_t height, const Bytes& bgr, bool topDown) {
  BmpFile file;
  file.width = width;
  file.height = topDown ? -height : height;
  file.bitCount = 24;
  file.pixels = StoreRows(bgr, 3 * static_cast<std::size_t>(width), height, topDown);
  file.imageSize = static_cast<std::uint32_t>(file.pixels.size());
  return file;
}

BmpFile Make8(std::int32_t width, std::int32_t height, const Bytes& indices, bool topDown, const Bytes& colourTable) {
  BmpFile file;
  file.width = width;
  file.height = topDown ? -height : height;
  file.bitCount = 8;
  file.colourTable = colourTable;
  file.coloursUsed = colourTable.size() / 4 == 256 ? 0 : static_cast<std::uint32_t>(colourTable.size() / 4);
  file.pixels = StoreRows(indices, static_cast<std::size_t>(width), height, topDown);
  file.imageSize = static_cast<std::uint32_t>(file.pixels.size());
  return file;
}

namespace {

// One row of pixel values as stored, padded to 4 bytes.
Bytes PackRow(const std::uint32_t* values, std::int32_t width, int bitCount) {
  Bytes row;
  if (bitCount < 8) {
    row.assign((static_cast<std::size_t>(width) * bitCount + 7) / 8, 0);
    for (std::int32_t x = 0; x < width; ++x) {
      const int shift = 8 - bitCount * (x % (8 / bitCount) + 1);
      row[static_cast<std::size_t>(x * bitCount / 8)] |= static_cast<std::uint8_t>(values[x] << shift);
    }
  } else {
    for (std::int32_t x = 0; x < width; ++x) {
      for (int byte = 0; byte < bitCount / 8; ++byte) row.push_back(static_cast<std::uint8_t>(values[x] >> (8 * byte)));
    }
  }
  row.resize((row.size() + 3) / 4 * 4, 0);
  return row;
}

}  // namespace

Bytes PackRows(std::int32_t width, std::int32_t height, int bitCount, const std::vector<std::uint32_t>& values,
               bool topDown) {
  Bytes stored;
  for (std::int32_t i = 0; i < height; ++i) {
    const std::int32_t row = topDown ? i : height - 1 - i;
    const Bytes packed = PackRow(values.data() + static_cast<std::ptrdiff_t>(row) * width, width, bitCount);
    stored.insert(stored.end(), packed.begin(), packed.end());
  }
  return stored;
}

BmpFile MakeIndexed(std::int32_t width, std::int32_t height, int bitCount, const std::vector<std::uint32_t>& indices,
                    const Bytes& colourTable, bool topDown) {
  BmpFile file;
  file.width = width;
  file.height = topDown ? -height : height;
  file.bitCount = static_cast<std::uint16_t>(bitCount);
  file.colourTable = colourTable;
  file.coloursUsed = static_cast<std::uint32_t>(colourTable.size() / 4);
  file.pixels = PackRows(width, height, bitCount, indices, topDown);
  file.imageSize = static_cast<std::uint32_t>(file.pixels.size());
  return file;
}

BmpFile MakeBitFields(std::int32_t width, std::int32_t height, int bitCount, const std::vector<std::uint32_t>& values,
                      std::vector<std::uint32_t> masks, std::uint32_t compression, std::uint32_t headerSize,
                      bool topDown) {
  BmpFile file;
  file.headerSize = headerSize;
  file.width = width;
  file.height = topDown ? -height : height;
  file.bitCount = static_cast<std::uint16_t>(bitCount);
  file.compression = compression;
  Bytes maskBytes;
  for (std::uint32_t mask : masks) PutU32(maskBytes, mask);
  if (compression != 0) (headerSize == 40 ? file.afterHeader : file.extraHeader) = maskBytes;
  file.pixels = PackRows(width, height, bitCount, values, topDown);
  file.imageSize = static_cast<std::uint32_t>(file.pixels.size());
  return file;
}

BmpFile AsOs2Core(BmpFile file) {
  file.headerLayout = BmpFile::HeaderLayout::kOs2Core;
  file.headerSize = 12;
  Bytes triples;
  for (std::size_t i = 0; i + 4 <= file.colourTable.size(); i += 4) {
    triples.insert(triples.end(), file.colourTable.begin() + static_cast<std::ptrdiff_t>(i),
                   file.colourTable.begin() + static_cast<std::ptrdiff_t>(i + 3));
  }
  file.colourTable = triples;
  return file;
}

RleStream& RleStream::Run(std::uint8_t count, std::uint8_t value) {
  m_data.insert(m_data.end(), {count, value});
  return *this;
}

RleStream& RleStream::Literal(const std::vector<std::uint8_t>& indices) {
  m_data.insert(m_data.end(), {0, static_cast<std::uint8_t>(indices.size())});
  Bytes packed;
  for (std::size_t i = 0; i < indices.size(); ++i) {
    if (m_bitCount == 8) {
      packed.push_back(indices[i]);
    } else if (i % 2 == 0) {
      packed.push_back(static_cast<std::uint8_t>(indices[i] << 4));
    } else {
      packed.back() |= indices[i] & 0x0F;
    }
  }
  if (packed.size() % 2 != 0) packed.push_back(0);
  return Raw(packed);
}

RleStream& RleStream::EndOfLine() { return Run(0, 0); }
RleStream& RleStream::EndOfBitmap() { return Run(0, 1); }

RleStream& RleStream::Delta(std::uint8_t right, std::uint8_t up) {
  m_data.insert(m_data.end(), {0, 2, right, up});
  return *this;
}

RleStream& RleStream::Raw(const Bytes& bytes) {
  m_data.insert(m_data.end(), bytes.begin(), bytes.end());
  return *this;
}

BmpFile MakeRle(std::int32_t width, std::int32_t height, int bitCount, const RleStream& data, const Bytes& colourTable) {
  BmpFile file;
  file.width = width;
  file.height = height;
  file.bitCount = static_cast<std::uint16_t>(bitCount);
  file.compression = bitCount == 8 ? 1 : 2;
  file.colourTable = colourTable;
  file.coloursUsed = static_cast<std::uint32_t>(colourTable.size() / 4);
  file.pixels = data.Data();
  file.imageSize = static_cast<std::uint32_t>(file.pixels.size());
  return file;
}

Bytes RandomBytes(std::size_t count, std::uint32_t seed) {
  Bytes bytes(count);
  std::uint32_t state = seed * 2654435761u + 1;
  for (auto& byte : bytes) {
    state ^= state << 13;
    state ^= state >> 17;
    state ^= state << 5;
    byte = static_cast<std::uint8_t>(state >> 11);
  }
  return bytes;
}

Bytes GrayToBgr(const Bytes& gray) {
  Bytes bgr;
  bgr.reserve(3 * gray.size());
  for (std::uint8_t level : gray) bgr.insert(bgr.end(), {level, level, level});
  return bgr;
}

// Test paths are UTF-8; on Windows the narrow stream and stat calls would
// read them in the system's code page instead.
std::filesystem::path Native(const std::string& path) {
  return std::filesystem::path(std::u8string(path.begin(), path.end()));
}

Bytes ReadFile(const std::string& path) {
  std::ifstream in(Native(path), std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteFile(const std::string& path, const Bytes& bytes) {
  std::ofstream out(Native(path), std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

bool FileExists(const std::string& path) {
  std::error_code ignored;
  try {
    return std::filesystem::exists(Native(path), ignored);
  } catch (const std::filesystem::filesystem_error&) {
    return false;  // a name that is not UTF-8 names no file where names are UTF-16
  }
}

}  // namespace bmptest
