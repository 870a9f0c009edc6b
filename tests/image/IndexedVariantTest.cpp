// Colour-table files other than the byte plane's: 1, 2 and 4 bits a pixel,
// and 8 bits under headers of fewer than 40 bytes, decoded into colour rows.
#include <gtest/gtest.h>

#include "DecodedPicture.h"

namespace {

using namespace bmptest;
using tamrovi::CBmpImage;

std::vector<std::uint32_t> RandomIndices(std::size_t count, int bitCount, std::uint32_t seed) {
  std::vector<std::uint32_t> indices;
  for (std::uint8_t byte : RandomBytes(count, seed)) indices.push_back(byte & ((1u << bitCount) - 1));
  return indices;
}

enum class Header { kInfo40, kOs2Core, kOs2V2Short, kOs2V2Full, kV5 };

BmpFile WithHeader(BmpFile file, Header header) {
  switch (header) {
    case Header::kOs2Core: return AsOs2Core(file);
    case Header::kOs2V2Short:  // size, width, height, planes, bit count: no colours-used field
      file.headerLayout = BmpFile::HeaderLayout::kCutToSize;
      file.headerSize = 16;
      return file;
    case Header::kOs2V2Full: file.headerSize = 64; return file;
    case Header::kV5: file.headerSize = 124; return file;
    case Header::kInfo40: return file;
  }
  return file;
}

TEST(IndexedVariantTest, EveryBitCountHeaderWidthAndStorageOrderDecodesThroughTheColourTable) {
  for (int bits : {1, 2, 4, 8}) {
    for (Header header : {Header::kInfo40, Header::kOs2Core, Header::kOs2V2Short, Header::kOs2V2Full, Header::kV5}) {
      if (bits == 8 && header != Header::kOs2Core && header != Header::kOs2V2Short) continue;  // the byte plane's
      for (std::int32_t width : {1, 5, 9, 33}) {
        for (bool topDown : {false, true}) {
          if (topDown && header == Header::kOs2Core) continue;  // 16-bit unsigned height
          SCOPED_TRACE(::testing::Message() << bits << " bits, header " << static_cast<int>(header) << ", width "
                                            << width << (topDown ? ", top-down" : ""));
          const std::int32_t height = 3;
          const Bytes table = RandomBytes(4u << bits, 7 + bits);
          const auto indices = RandomIndices(static_cast<std::size_t>(width) * height, bits, width + bits);
          BmpFile file = MakeIndexed(width, height, bits, indices, table, topDown);
          file.coloursUsed = header == Header::kOs2V2Short ? 0 : file.coloursUsed;
          CBmpImage image;
          ASSERT_EQ(LoadBytes(image, WithHeader(file, header).Build()), 1);
          EXPECT_EQ(image.m_is24Bit, 1);
          EXPECT_EQ(ColourPixels(image), ThroughTable(indices, table));
        }
      }
    }
  }
}

TEST(IndexedVariantTest, LeftmostPixelIsInTheHighBits) {
  const Bytes table = RandomBytes(4 * 16, 3);
  struct Case {
    int bits;
    std::uint8_t stored;
    std::vector<std::uint32_t> pixels;
  };
  for (const Case& c : {Case{1, 0xB0, {1, 0, 1, 1}}, Case{2, 0x1B, {0, 1, 2, 3}}, Case{4, 0x5A, {5, 10}}}) {
    SCOPED_TRACE(c.bits);
    BmpFile file = MakeIndexed(static_cast<std::int32_t>(c.pixels.size()), 1, c.bits, c.pixels, table);
    file.pixels = {c.stored, 0, 0, 0};
    CBmpImage image;
    ASSERT_EQ(LoadBytes(image, file.Build()), 1);
    EXPECT_EQ(ColourPixels(image), ThroughTable(c.pixels, table));
  }
}

TEST(IndexedVariantTest, OnlyEightBitFilesWithHeadersOfFortyBytesOrMoreStayOnTheBytePlane) {
  const Bytes indices = RandomBytes(6, 1);
  for (std::uint32_t size : {12u, 16u, 36u, 40u, 64u, 108u, 124u}) {
    SCOPED_TRACE(size);
    BmpFile file = Make8(3, 2, indices);
    file.headerSize = size;
    if (size < 40) file.headerLayout = BmpFile::HeaderLayout::kCutToSize;
    if (size == 12) file = AsOs2Core(file);
    CBmpImage image;
    ASSERT_EQ(LoadBytes(image, file.Build()), 1);
    EXPECT_EQ(image.m_is24Bit, size >= 40 ? 0 : 1);
    if (image.m_is24Bit) {
      EXPECT_EQ(ColourPixels(image), GrayToBgr(indices));
    } else {
      EXPECT_EQ(Bytes(image.m_grayRows[1], image.m_grayRows[1] + 3), Bytes(indices.begin() + 3, indices.end()));
    }
  }
}

TEST(IndexedVariantTest, AnIndexPastTheColourTableIsTheGrayLevelItNames) {
  const Bytes table = {10, 20, 30, 0, 40, 50, 60, 0};
  CBmpImage image;
  ASSERT_EQ(LoadBytes(image, MakeIndexed(3, 1, 4, {1, 9, 15}, table).Build()), 1);
  EXPECT_EQ(ColourPixels(image), (Bytes{40, 50, 60, 9, 9, 9, 15, 15, 15}));
}

TEST(IndexedVariantTest, Os2CoreColourTableMakesThePaletteAndEndsWhereThePixelsStart) {
  const Bytes table = {1, 2, 3, 0, 4, 5, 6, 0, 7, 8, 9, 0};  // 3 of the 16 entries a 4-bit file may have
  CBmpImage image;
  ASSERT_EQ(LoadBytes(image, AsOs2Core(MakeIndexed(2, 1, 4, {2, 0}, table)).Build()), 1);
  EXPECT_EQ(image.m_nColors, 3);
  EXPECT_EQ(image.m_pColors, nullptr);  // 3-byte entries: not addressable as 4-byte ones
  ASSERT_EQ(image.m_palette.EntryCount(), 3);
  EXPECT_EQ(image.m_palette.Entry(2).red, 9);
  EXPECT_EQ(image.m_palette.Entry(2).blue, 7);
  EXPECT_EQ(ColourPixels(image), (Bytes{7, 8, 9, 1, 2, 3}));
}

TEST(IndexedVariantTest, RowsTheFileLacksReadAsIndexZeroAndTheFileImageStaysAsLoaded) {
  const Bytes table = {9, 9, 9, 0, 200, 100, 50, 0};
  BmpFile file = MakeIndexed(9, 3, 1, std::vector<std::uint32_t>(27, 1), table);
  file.pixels.resize(file.pixels.size() - 7);  // the file ends one byte into the middle row
  const Bytes bytes = file.Build();
  CBmpImage image;
  ASSERT_EQ(LoadBytes(image, bytes), 1);
  std::vector<std::uint32_t> expected(27, 1);
  std::fill(expected.begin(), expected.begin() + 9, 0);  // the top row
  expected[17] = 0;                                       // the middle row's last pixel
  EXPECT_EQ(ColourPixels(image), ThroughTable(expected, table));
  ASSERT_EQ(image.m_dibSize, static_cast<std::int32_t>(bytes.size() - 14));
  EXPECT_EQ(Bytes(image.m_pDib, image.m_pDib + image.m_dibSize), Bytes(bytes.begin() + 14, bytes.end()));
}

}  // namespace
