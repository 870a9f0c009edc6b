// 16- and 32-bit files: default and bit-field masks, wherever the file keeps
// them, scaled so that every channel's full intensity is 255.
#include <gtest/gtest.h>

#include "DecodedPicture.h"

namespace {

using namespace bmptest;
using tamrovi::CBmpImage;

Bytes Decode(const BmpFile& file) {
  CBmpImage image;
  EXPECT_EQ(LoadBytes(image, file.Build()), 1) << DescribeReason(image.m_loadError);
  EXPECT_EQ(image.m_is24Bit, 1);
  return ColourPixels(image);
}

TEST(BitFieldVariantTest, ChannelsScaleToFullIntensityRounded) {
  struct Case {
    const char* name;
    int bits;
    std::vector<std::uint32_t> masks;  // red, green, blue
    std::uint32_t pixel;
    Bytes bgr;
  };
  const Case cases[] = {
      // v * 255 / 31 rounded: 16 -> 131.6 -> 132; 1 -> 8.2 -> 8
      {"5-5-5", 16, {0x7C00, 0x03E0, 0x001F}, (31u << 10) | (16u << 5) | 1, {8, 132, 255}},
      {"5-6-5", 16, {0xF800, 0x07E0, 0x001F}, (0u << 11) | (32u << 5) | 31, {255, 130, 0}},  // 32*255/63 = 129.5+
      {"4-4-4 in the low bits", 16, {0x0F00, 0x00F0, 0x000F}, 0xF5A3, {51, 170, 85}},
      {"1-bit channels", 16, {0x4, 0x2, 0x1}, 0x5, {255, 0, 255}},
      {"10-bit channels keep their top 8", 32, {0x3FF00000, 0x000FFC00, 0x000003FF}, (0x3FFu << 20) | (0x201u << 10) | 0x0FF,
       {0x3F, 0x80, 0xFF}},
      {"blue and red swapped", 32, {0x000000FF, 0x0000FF00, 0x00FF0000}, 0x00123456, {0x12, 0x34, 0x56}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(Decode(MakeBitFields(1, 1, c.bits, {c.pixel}, c.masks)), c.bgr);
  }
}

TEST(BitFieldVariantTest, UncompressedSixteenBitIsFiveFiveFiveAndThirtyTwoBitIsBlueGreenRedUnused) {
  EXPECT_EQ(Decode(MakeBitFields(2, 1, 16, {0x8000 | (31u << 10), 0x7FFF}, {}, 0)), (Bytes{0, 0, 255, 255, 255, 255}));
  EXPECT_EQ(Decode(MakeBitFields(1, 1, 32, {0xAB123456}, {}, 0)), (Bytes{0x56, 0x34, 0x12}));
}

TEST(BitFieldVariantTest, MasksAreReadWhereEveryHeaderKeepsThemInEitherStorageOrder) {
  const std::vector<std::uint32_t> masks = {0x0000F800, 0x000007E0, 0x0000001F, 0xFFFF0000};
  std::vector<std::uint32_t> values;
  for (std::uint8_t byte : RandomBytes(3 * 5 * 2, 11)) values.push_back(byte * 0x0101u);
  const Bytes expected = Decode(MakeBitFields(5, 2, 32, values, {masks[0], masks[1], masks[2]}));
  struct Case {
    std::uint32_t headerSize;
    std::uint32_t compression;
    std::size_t maskCount;
  };
  for (const Case& c : {Case{40, 6, 4}, Case{52, 3, 3}, Case{56, 3, 4}, Case{108, 3, 4}, Case{124, 6, 4}}) {
    for (bool topDown : {false, true}) {
      SCOPED_TRACE(::testing::Message() << c.headerSize << "-byte header, compression " << c.compression);
      const std::vector<std::uint32_t> fileMasks(masks.begin(), masks.begin() + static_cast<long>(c.maskCount));
      EXPECT_EQ(Decode(MakeBitFields(5, 2, 32, values, fileMasks, c.compression, c.headerSize, topDown)), expected);
    }
  }
}

TEST(BitFieldVariantTest, AlphaIsReadAndIgnored) {
  const std::vector<std::uint32_t> masks = {0x0F00, 0x00F0, 0x000F, 0xF000};
  EXPECT_EQ(Decode(MakeBitFields(2, 1, 16, {0x0F0F, 0xFF0F}, masks, 6)), (Bytes{255, 0, 255, 255, 0, 255}));
}

}  // namespace
