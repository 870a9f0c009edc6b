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
  Bytes colourTable;  // 4 bytes an entry: blue, green, red, reserved
  Bytes gap;          // bytes between the colour table and the pixels
  Bytes pixels;       // the pixel array exactly as stored

  Bytes Build() const;
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

// Pixels for tests: deterministic pseudo-random bytes.
Bytes RandomBytes(std::size_t count, std::uint32_t seed);

// Each gray level tripled into blue, green, red.
Bytes GrayToBgr(const Bytes& gray);

Bytes ReadFile(const std::string& path);
void WriteFile(const std::string& path, const Bytes& bytes);
bool FileExists(const std::string& path);

}  // namespace bmptest
