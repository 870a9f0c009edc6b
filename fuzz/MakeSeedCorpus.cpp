// Writes the fuzz target's seed corpus: one small file of every kind of BMP
// the library reads, built with the test helpers, so that the fuzzer starts
// from inside every decoder instead of having to find the way in.
//
//   make_seed_corpus DIR     (`make fuzz-seeds` writes fuzz/corpus)
#include <cstdio>
#include <string>
#include <vector>

#include "support/BmpBuilder.h"

namespace {

using namespace bmptest;

// Pictures big enough that every filter changes something inside them, and
// odd-sized so that rows carry padding.
constexpr std::int32_t kWidth = 11;
constexpr std::int32_t kHeight = 7;
constexpr std::int32_t kPixels = kWidth * kHeight;

std::vector<std::uint32_t> Values(std::uint32_t seed, std::uint32_t modulus) {
  const Bytes random = RandomBytes(4 * kPixels, seed);
  std::vector<std::uint32_t> values;
  for (std::int32_t i = 0; i < kPixels; ++i) {
    const std::uint32_t word = random[4 * i] | (random[4 * i + 1] << 8) | (random[4 * i + 2] << 16) |
                               (static_cast<std::uint32_t>(random[4 * i + 3]) << 24);
    values.push_back(modulus == 0 ? word : word % modulus);
  }
  return values;
}

BmpFile Indexed(int bits, bool topDown = false) {
  return MakeIndexed(kWidth, kHeight, bits, Values(bits, 1u << bits), RandomBytes(4u << bits, 100 + bits), topDown);
}

BmpFile Gray8(bool topDown) { return Make8(kWidth, kHeight, RandomBytes(kPixels, 3), topDown); }

BmpFile WithHeaderSize(BmpFile file, std::uint32_t size) {
  file.headerSize = size;
  if (size < 40) file.headerLayout = BmpFile::HeaderLayout::kCutToSize;
  return file;
}

BmpFile Truncated(BmpFile file, std::size_t pixelBytes) {
  file.pixels.resize(pixelBytes);
  return file;
}

BmpFile WithGap(BmpFile file) {
  file.gap = Bytes(6, 0xEE);
  return file;
}

RleStream Rle8Data() {
  return RleStream(8)
      .Run(4, 1)
      .Literal({2, 3, 4, 5, 6})
      .EndOfLine()
      .Delta(3, 1)
      .Run(8, 7)
      .EndOfLine()
      .Literal({9, 8, 7})
      .Run(2, 200)
      .EndOfLine()
      .Run(11, 30)
      .EndOfBitmap();
}

RleStream Rle4Data() {
  return RleStream(4)
      .Run(5, 0x12)
      .Literal({3, 4, 5})
      .EndOfLine()
      .Delta(2, 2)
      .Run(9, 0xF0)
      .EndOfLine()
      .Literal({6, 7, 8, 9, 10, 11, 12})
      .EndOfBitmap();
}

struct Seed {
  const char* name;
  BmpFile file;
};

std::vector<Seed> Seeds() {
  const Bytes bgr = RandomBytes(3 * kPixels, 1);
  const std::vector<std::uint32_t> words16 = Values(16, 1u << 16);
  const std::vector<std::uint32_t> words32 = Values(32, 0);
  return {
      {"24bit", Make24(kWidth, kHeight, bgr)},
      {"24bit-top-down", Make24(kWidth, kHeight, bgr, true)},
      {"24bit-v5-header", WithHeaderSize(Make24(kWidth, kHeight, bgr), 124)},
      {"24bit-truncated", Truncated(Make24(kWidth, kHeight, bgr), 50)},
      {"24bit-gap-before-pixels", WithGap(Make24(kWidth, kHeight, bgr))},
      {"8bit-gray", Gray8(false)},
      {"8bit-gray-top-down", Gray8(true)},
      {"8bit-16-colours", Make8(kWidth, kHeight, RandomBytes(kPixels, 4), false, RandomBytes(64, 5))},
      {"8bit-truncated", Truncated(Gray8(false), 20)},
      {"8bit-os2-v1", AsOs2Core(Indexed(8))},
      {"8bit-os2-v2-16", WithHeaderSize(Indexed(8), 16)},
      {"8bit-os2-v2-64", WithHeaderSize(Indexed(8), 64)},
      {"1bit", Indexed(1)},
      {"2bit", Indexed(2)},
      {"4bit", Indexed(4)},
      {"4bit-top-down", Indexed(4, true)},
      {"4bit-os2-v1", AsOs2Core(Indexed(4))},
      {"rle8", MakeRle(kWidth, kHeight, 8, Rle8Data(), RandomBytes(1024, 6))},
      {"rle4", MakeRle(kWidth, kHeight, 4, Rle4Data(), RandomBytes(64, 7))},
      {"16bit-555", MakeBitFields(kWidth, kHeight, 16, words16, {}, 0)},
      {"16bit-565-bitfields", MakeBitFields(kWidth, kHeight, 16, words16, {0xF800, 0x07E0, 0x001F})},
      {"16bit-alpha-bitfields", MakeBitFields(kWidth, kHeight, 16, words16, {0x0F00, 0x00F0, 0x000F, 0xF000}, 6)},
      {"16bit-v3-header", MakeBitFields(kWidth, kHeight, 16, words16, {0x7C00, 0x03E0, 0x001F, 0x8000}, 3, 56)},
      {"32bit", MakeBitFields(kWidth, kHeight, 32, words32, {}, 0)},
      {"32bit-bitfields", MakeBitFields(kWidth, kHeight, 32, words32, {0xFF000000, 0x00FF0000, 0x0000FF00})},
      {"32bit-v4-header", MakeBitFields(kWidth, kHeight, 32, words32, {0x3FF00000, 0x000FFC00, 0x000003FF, 0}, 3, 108)},
      {"32bit-v5-top-down",
       MakeBitFields(kWidth, kHeight, 32, words32, {0x00FF0000, 0x0000FF00, 0x000000FF, 0xFF000000}, 3, 124, true)},
  };
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: make_seed_corpus DIR\n");
    return 2;
  }
  const std::string folder = argv[1];
  for (const Seed& seed : Seeds()) {
    const std::string path = folder + "/" + seed.name + ".bmp";
    WriteFile(path, seed.file.Build());
    if (!FileExists(path)) {
      std::fprintf(stderr, "%s: cannot write the file\n", path.c_str());
      return 1;
    }
  }
  return 0;
}
