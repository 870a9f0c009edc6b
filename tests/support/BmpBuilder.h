// Test helpers that build BMP files byte by byte, so that every header field
// and every truncation can be set by the test itself.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace bmptest {

using Bytes = std::vector<std::uint8_t>;

// Every field of the two headers, as it will be written. Zero in fileSize or
// pixelOffset means "computed from what follows"; everything else is written
// exactly as set, however inconsistent.
struct BmpFile {
  std::uint16_t type = 0x4D42;
  std::uint32_t fileSize = 0;
  std::uint16_t reserved1 = 0;
  std::uint16_t reserved2 = 0;
  std::uint32_t pixelOffset = 0;

  // How the info header is laid out: the 40 bytes of fields above (then
  // extraHeader, padded to headerSize); those fields cut to headerSize (the
  // OS/2 2.x headers of under 40 bytes); or the 12-byte OS/2 1.x header
  // (size, 16-bit width and height, planes, bit count).
  enum class HeaderLayout { kInfo, kCutToSize, kOs2Core };
  HeaderLayout headerLayout = HeaderLayout::kInfo;

  std::uint32_t headerSize = 40;  // bytes beyond 40 are written as zeros, or from extraHeader
  std::int32_t width = 0;
  std::int32_t height = 0;
  std::uint16_t planes = 1;
  std::uint16_t bitCount = 24;
  std::uint32_t compression = 0;
  std::uint32_t imageSize = 0;
  std::int32_t xPixelsPerMetre = 0;
  std::int32_t yPixelsPerMetre = 0;
  std::uint32_t coloursUsed = 0;
  std::uint32_t coloursImportant = 0;

  Bytes extraHeader;  // the info header's bytes after the first 40 (padded to headerSize - 40)
  Bytes afterHeader;  // right after the info header: the bit-field masks of a 40-byte header
  Bytes colourTable;  // 4 bytes an entry: blue, green, red, reserved (3 in OS/2 1.x files)
  Bytes gap;          // bytes between the colour table and the pixels
  Bytes pixels;       // the pixel array exactly as stored

  Bytes Build() const;

 private:
  Bytes InfoHeader() const;
};

// Appends a little-endian value.
void PutU16(Bytes& out, std::uint32_t value);
void PutU32(Bytes& out, std::uint32_t value);

// The colour table of a gray palette: entry i is (i, i, i), `count` entries.
Bytes GrayColourTable(int count = 256);

// A 24-bit file of `width` x `height`; `bgr` holds the picture's rows from the
// top, 3 bytes a pixel, unpadded. Stored bottom-up unless `topDown`.
BmpFile Make24(std::int32_t width, std::int32_t height, const Bytes& bgr, bool topDown = false);

// An 8-bit file; `indices` holds one byte a pixel, rows from the top,
// unpadded. The colour table defaults to 256 grays.
BmpFile Make8(std::int32_t width, std::int32_t height, const Bytes& indices, bool topDown = false,
              const Bytes& colourTable = GrayColourTable());

// Stores `values`, one a pixel, rows from the top, as a BMP pixel array of
// `bitCount` bits a pixel: below 8 bits packed with the leftmost pixel in the
// high bits; 16 and 32 as little-endian words; 24 as 0xRRGGBB turned into
// blue, green, red. Each row is padded to 4 bytes; rows are stored bottom-up
// unless `topDown`.
Bytes PackRows(std::int32_t width, std::int32_t height, int bitCount, const std::vector<std::uint32_t>& values,
               bool topDown = false);

// A colour-table file of 1, 2, 4 or 8 bits (uncompressed, 40-byte header);
// `indices` holds one index a pixel, rows from the top.
BmpFile MakeIndexed(std::int32_t width, std::int32_t height, int bitCount, const std::vector<std::uint32_t>& indices,
                    const Bytes& colourTable, bool topDown = false);

// A 16- or 32-bit file of pixel `values` with bit-field `masks` (red, green,
// blue and, for 4 masks, alpha) and `compression` (3 or 6; 0 writes no masks).
// With a 40-byte header the masks follow it; with a larger one they are in it.
BmpFile MakeBitFields(std::int32_t width, std::int32_t height, int bitCount, const std::vector<std::uint32_t>& values,
                      std::vector<std::uint32_t> masks, std::uint32_t compression = 3, std::uint32_t headerSize = 40,
                      bool topDown = false);

// The same picture with the 12-byte OS/2 1.x header: width and height as 16
// bits, colour-table entries of 3 bytes.
BmpFile AsOs2Core(BmpFile file);

// Run-length coded pixel data (RLE8 or RLE4), written code by code.
class RleStream {
 public:
  explicit RleStream(int bitCount) : m_bitCount(bitCount) {}

  // `count` pixels of `value` (RLE4: its two nibbles in turn).
  RleStream& Run(std::uint8_t count, std::uint8_t value);
  // An absolute run of `indices`, packed and padded to a 16-bit boundary.
  RleStream& Literal(const std::vector<std::uint8_t>& indices);
  RleStream& EndOfLine();
  RleStream& EndOfBitmap();
  RleStream& Delta(std::uint8_t right, std::uint8_t up);
  // Bytes written as they are, for data no encoder would write.
  RleStream& Raw(const Bytes& bytes);

  const Bytes& Data() const { return m_data; }

 private:
  int m_bitCount;
  Bytes m_data;
};

// A run-length coded file (8 or 4 bits, bottom-up, 40-byte header).
BmpFile MakeRle(std::int32_t width, std::int32_t height, int bitCount, const RleStream& data, const Bytes& colourTable);

// Pixels for tests: deterministic pseudo-random bytes.
Bytes RandomBytes(std::size_t count, std::uint32_t seed);

// Each gray level tripled into blue, green, red.
Bytes GrayToBgr(const Bytes& gray);

Bytes ReadFile(const std::string& path);
void WriteFile(const std::string& path, const Bytes& bytes);
bool FileExists(const std::string& path);

}  // namespace bmptest
