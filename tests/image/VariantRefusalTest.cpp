// Files of the decoded variants that are refused, each with its own reason.
#include <gtest/gtest.h>

#include <set>
#include <string>

#include "DecodedPicture.h"

namespace {

using namespace bmptest;
using tamrovi::Reason;
using tamrovi::CBmpImage;

BmpFile Indexed4() { return MakeIndexed(3, 2, 4, {1, 2, 3, 4, 5, 6}, RandomBytes(64, 1)); }
BmpFile Rgb565(std::vector<std::uint32_t> masks = {0xF800, 0x07E0, 0x001F}) {
  return MakeBitFields(3, 2, 16, {1, 2, 3, 4, 5, 6}, masks);
}
template <typename Change>
BmpFile Changed(BmpFile file, Change change) {
  change(file);
  return file;
}

TEST(VariantRefusalTest, EachMalformedOrUnsupportedVariantIsRefusedWithItsReason) {
  struct Case {
    const char* name;
    BmpFile file;
    Reason error;
  };
  const Case cases[] = {
      {"info header of 11 bytes", Changed(Indexed4(), [](BmpFile& f) { f.headerSize = 11; }),
       Reason::kInfoHeaderTooSmall},
      {"info header of 14 bytes", Changed(Indexed4(), [](BmpFile& f) { f.headerSize = 14; }),
       Reason::kUnknownInfoHeaderSize},
      {"embedded JPEG", Changed(Make24(1, 1, {0, 0, 0}), [](BmpFile& f) { f.compression = 4; f.bitCount = 0; }),
       Reason::kEmbeddedJpeg},
      {"embedded PNG", Changed(Make24(1, 1, {0, 0, 0}), [](BmpFile& f) { f.compression = 5; }),
       Reason::kEmbeddedPng},
      {"CMYK", Changed(Make24(1, 1, {0, 0, 0}), [](BmpFile& f) { f.compression = 11; f.bitCount = 32; }),
       Reason::kCmyk},
      {"CMYK RLE4", Changed(Indexed4(), [](BmpFile& f) { f.compression = 13; }), Reason::kCmyk},
      {"OS/2 Huffman", Changed(MakeIndexed(8, 1, 1, std::vector<std::uint32_t>(8), GrayColourTable(2)),
                               [](BmpFile& f) { f.headerSize = 64; f.compression = 3; }),
       Reason::kOs2Huffman},
      {"OS/2 24-bit RLE", Changed(Make24(1, 1, {0, 0, 0}), [](BmpFile& f) { f.headerSize = 64; f.compression = 4; }),
       Reason::kOs2Rle24},
      {"compression 9", Changed(Indexed4(), [](BmpFile& f) { f.compression = 9; }),
       Reason::kUnsupportedCompression},
      {"3 bits a pixel", Changed(Indexed4(), [](BmpFile& f) { f.bitCount = 3; }), Reason::kUnsupportedBitCount},
      {"64 bits a pixel", Changed(Make24(1, 1, {0, 0, 0}), [](BmpFile& f) { f.bitCount = 64; }),
       Reason::kUnsupportedBitCount},
      {"RLE8 on 4 bits", Changed(Indexed4(), [](BmpFile& f) { f.compression = 1; }),
       Reason::kCompressionBitCountMismatch},
      {"bit fields on 24 bits", Changed(Make24(1, 1, {0, 0, 0}), [](BmpFile& f) { f.compression = 3; }),
       Reason::kCompressionBitCountMismatch},
      {"top-down RLE4",
       Changed(MakeRle(2, 1, 4, RleStream(4).Run(2, 0x12), RandomBytes(64, 2)), [](BmpFile& f) { f.height = -1; }),
       Reason::kCompressedTopDown},
      {"empty mask", Rgb565({0xF800, 0, 0x001F}), Reason::kEmptyMask},
      {"overlapping masks", Rgb565({0xF800, 0x0FE0, 0x001F}), Reason::kOverlappingMasks},
      {"mask with a gap", Rgb565({0xF800, 0x07E0, 0x0015}), Reason::kNonContiguousMask},
      {"mask beyond 16 bits", Rgb565({0x1F800, 0x07E0, 0x001F}), Reason::kMaskOutsidePixel},
      {"masks cut off by the end of the file",
       Changed(Rgb565(), [](BmpFile& f) { f.afterHeader.resize(10); f.pixels.clear(); f.pixelOffset = 54; }),
       Reason::kMasksPastEnd},
      {"pixels starting inside the masks", Changed(Rgb565(), [](BmpFile& f) { f.pixelOffset = 60; }),
       Reason::kBadPixelOffset},
      {"colour table past the end", Changed(Indexed4(), [](BmpFile& f) { f.colourTable.resize(40); f.pixels.clear(); }),
       Reason::kColourTablePastEnd},
      {"OS/2 1.x picture wider than the limit", Changed(AsOs2Core(Indexed4()), [](BmpFile& f) { f.width = 40000; }),
       Reason::kTooWide},
  };
  std::set<std::string> reasons;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    CBmpImage image;
    ASSERT_EQ(LoadBytes(image, Make24(2, 1, RandomBytes(6, 3)).Build()), 1);
    const Bytes before = ColourPixels(image);
    EXPECT_EQ(LoadBytes(image, c.file.Build()), 0);
    EXPECT_EQ(image.m_loadError, c.error);
    EXPECT_EQ(ColourPixels(image), before);  // a refusal leaves the picture as it was
    reasons.insert(DescribeReason(c.error));
  }
  EXPECT_EQ(reasons.size(), std::size(cases) - 3);  // CMYK, unsupported bit count and mismatch appear twice
}

}  // namespace
