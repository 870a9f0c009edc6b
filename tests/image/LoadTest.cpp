#include <gtest/gtest.h>

#include <cerrno>
#include <algorithm>
#include <climits>
#include <set>

#include "image/BmpImage.h"
#include "support/ImageFixture.h"

namespace tamrovi {
namespace {

using bmptest::Bytes;
using bmptest::BmpFile;

class LoadTest : public ::testing::Test {
 protected:
  int Load(const BmpFile& file) { return bmptest::LoadBytes(image, dir, file.Build()); }
  int Load(const Bytes& bytes) { return bmptest::LoadBytes(image, dir, bytes); }

  bmptest::TempDir dir;
  CBmpImage image;
};

void ExpectEmpty(const CBmpImage& image) {
  EXPECT_EQ(image.m_width, 0);
  EXPECT_EQ(image.m_height, 0);
  EXPECT_EQ(image.m_pDib, nullptr);
  EXPECT_FALSE(image.m_palette.HasPalette());
  for (int i = 0; i < kMaxRows; ++i) {
    ASSERT_EQ(image.m_rgbRows[i], nullptr) << i;
    ASSERT_EQ(image.m_grayRows[i], nullptr) << i;
  }
}

TEST_F(LoadTest, ColourRowsHoldThePictureFromTheTop) {
  // Width 5: 15 bytes of pixels and 1 byte of padding a stored row.
  const Bytes bgr = bmptest::RandomBytes(5 * 3 * 3, 1);
  for (bool topDown : {false, true}) {
    SCOPED_TRACE(topDown ? "top-down" : "bottom-up");
    ASSERT_EQ(Load(bmptest::Make24(5, 3, bgr, topDown)), 1);
    EXPECT_EQ(image.m_is24Bit, 1);
    EXPECT_EQ(image.m_width, 5);
    EXPECT_EQ(image.m_height, 3) << "the row count is positive in both storage orders";
    EXPECT_EQ(image.m_isTopDown, topDown ? 1 : 0);
    EXPECT_EQ(image.m_nColors, 0);
    EXPECT_FALSE(image.m_palette.HasPalette());
    EXPECT_EQ(bmptest::PictureBgr(image), bgr);
    EXPECT_EQ(image.m_grayRows[0], nullptr) << "only one row table is filled";
    EXPECT_EQ(image.m_rgbRows[3], nullptr);
  }
}

TEST_F(LoadTest, BytePlaneRowsFollowTheFileStrideInEitherOrder) {
  // Widths that are not a multiple of 4 are where addressing by the width
  // instead of the stride would shear the picture.
  for (std::int32_t width : {1, 2, 3, 4, 5, 7, 13}) {
    for (bool topDown : {false, true}) {
      SCOPED_TRACE(::testing::Message() << "width " << width << (topDown ? " top-down" : " bottom-up"));
      const Bytes indices = bmptest::RandomBytes(static_cast<std::size_t>(width) * 4, width);
      ASSERT_EQ(Load(bmptest::Make8(width, 4, indices, topDown)), 1);
      EXPECT_EQ(image.m_is24Bit, 0);
      EXPECT_EQ(image.BytePlaneStride(), (width + 3) / 4 * 4);
      EXPECT_EQ(bmptest::BytePlane(image), indices);
      for (std::int32_t row = 0; row < 4; ++row) {
        EXPECT_EQ(Bytes(image.m_grayRows[row], image.m_grayRows[row] + width),
                  Bytes(indices.begin() + row * width, indices.begin() + (row + 1) * width));
      }
    }
  }
}

TEST_F(LoadTest, ColourCountFollowsBitCountAndColoursUsed) {
  BmpFile file = bmptest::Make8(4, 1, {0, 1, 2, 3});
  ASSERT_EQ(Load(file), 1);
  EXPECT_EQ(image.m_nColors, 256);
  EXPECT_EQ(image.m_palette.EntryCount(), 256);

  file.colourTable = bmptest::GrayColourTable(16);
  file.coloursUsed = 16;
  file.colourTable[4 * 3 + 2] = 200;  // entry 3's red
  ASSERT_EQ(Load(file), 1);
  EXPECT_EQ(image.m_nColors, 16);
  ASSERT_EQ(image.m_palette.EntryCount(), 16);
  EXPECT_EQ(image.m_palette.Version(), 0x300);
  EXPECT_EQ(image.m_palette.Entry(3).red, 200);
  EXPECT_EQ(image.m_palette.Entry(3).green, 3);
  EXPECT_EQ(image.m_palette.Entry(3).flags, 0);
}

TEST_F(LoadTest, LargerHeadersAndGapsMoveTheTableAndThePixels) {
  for (std::uint32_t headerSize : {40u, 52u, 56u, 108u, 124u}) {
    SCOPED_TRACE(headerSize);
    BmpFile file = bmptest::Make8(3, 2, {1, 2, 3, 4, 5, 6}, false, bmptest::GrayColourTable(8));
    file.colourTable[4 * 5] = 99;  // entry 5's blue
    file.headerSize = headerSize;
    file.gap = Bytes(7, 0xEE);
    ASSERT_EQ(Load(file), 1);
    EXPECT_EQ(reinterpret_cast<const std::uint8_t*>(image.m_pColors), image.m_pDib + headerSize);
    EXPECT_EQ(image.m_pColors[5].blue, 99);
    EXPECT_EQ(image.m_pBits, image.m_pDib + headerSize + 4 * 8 + 7);
    // Entry 5 is (99, 5, 5) now, no longer gray: its pixel shows gray 36.
    EXPECT_EQ(bmptest::BytePlane(image), (Bytes{1, 2, 3, 4, 36, 6}));
  }
}

TEST_F(LoadTest, WhatAShortFileDoesNotHoldReadsAsZero) {
  const Bytes bgr = bmptest::RandomBytes(4 * 3 * 3, 2);
  BmpFile colour = bmptest::Make24(4, 3, bgr);
  colour.pixels.resize(12 + 5);  // the bottom row and 5 bytes of the next
  ASSERT_EQ(Load(colour), 1);
  EXPECT_EQ(image.m_missingRows, 2) << "a row the file ends inside is missing";
  Bytes expected(bgr.size(), 0);
  std::copy(bgr.begin() + 24, bgr.end(), expected.begin() + 24);
  std::copy(bgr.begin() + 12, bgr.begin() + 17, expected.begin() + 12);
  EXPECT_EQ(bmptest::PictureBgr(image), expected);

  BmpFile gray = bmptest::Make8(5, 3, Bytes(15, 9));
  gray.pixels.resize(8 + 2);  // one stored row of 8 bytes and 2 of the next
  ASSERT_EQ(Load(gray), 1);
  EXPECT_EQ(image.m_missingRows, 2);
  EXPECT_EQ(bmptest::BytePlane(image), (Bytes{0, 0, 0, 0, 0, 9, 9, 0, 0, 0, 9, 9, 9, 9, 9}));
  EXPECT_GE(image.m_dibSize, image.m_pBits - image.m_pDib + 3 * 8) << "the byte plane is whole in memory";
}

TEST_F(LoadTest, AWhole24BitFileLendsItsRowsAndAShortOneGetsOneBlock) {
  BmpFile colour = bmptest::Make24(5, 3, bmptest::RandomBytes(45, 4));
  ASSERT_EQ(Load(colour), 1);
  for (int row = 0; row < 3; ++row) EXPECT_EQ(image.m_rgbRows[row], image.m_pBits + (2 - row) * 16) << row;
  colour.pixels.resize(20);
  ASSERT_EQ(Load(colour), 1);
  EXPECT_EQ(image.m_rgbRows[1], image.m_rgbRows[0] + 15) << "rows side by side";
}

// The export's limit, and the wide limits, under which a tall picture gets
// a row table of its own and is held whole.
TEST_F(LoadTest, RowLimitHoldsInBothStorageOrders) {
  struct Case {
    std::int32_t height;
    int loaded;
    Reason wideError;
  } const cases[] = {{1600, 1, Reason::kNone},          {-1600, 1, Reason::kNone},
                     {1601, 0, Reason::kNone},          {-1601, 0, Reason::kNone},
                     {-100000, 0, Reason::kNone},       {INT_MIN, 0, Reason::kTooTall},
                     {INT_MAX, 0, Reason::kTooManyPixels}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.height);
    BmpFile file = bmptest::Make8(1, 1, {0});
    file.height = c.height;
    file.pixels.assign(4 * 1600, 0x11);
    CBmpImage fresh;
    EXPECT_EQ(bmptest::LoadBytes(fresh, dir, file.Build()), c.loaded);
    if (c.loaded) {
      EXPECT_EQ(fresh.m_height, 1600);
    } else {
      EXPECT_EQ(fresh.m_loadError, Reason::kTooTall);
      ExpectEmpty(fresh);
    }
    const bool wideLoaded = c.wideError == Reason::kNone;
    EXPECT_EQ(bmptest::LoadBytes(fresh, dir, file.Build(), "wide.bmp", kWideLimits), wideLoaded ? 1 : 0);
    EXPECT_EQ(fresh.m_loadError, c.wideError);
    if (!wideLoaded) continue;
    const std::int32_t rows = c.height < 0 ? -c.height : c.height;
    EXPECT_EQ(fresh.m_missingRows, rows - 1600);
    const Bytes plane = bmptest::BytePlane(fresh);
    ASSERT_EQ(plane.size(), static_cast<std::size_t>(rows));
    const std::size_t held = static_cast<std::size_t>(std::count(plane.begin(), plane.end(), 0x11));
    EXPECT_EQ(held, 1600u) << "every row the file holds, and black below";
  }
}

// A counted stream: `head` (a file's bytes), then zeros without end.
struct CountedStream {
  Bytes head;
  std::int64_t read = 0;
  static std::int64_t Read(void* context, std::uint8_t* buffer, std::int64_t count) noexcept {
    auto& stream = *static_cast<CountedStream*>(context);
    for (std::int64_t i = 0; i < count; ++i) {
      const std::int64_t at = stream.read + i;
      buffer[i] = at < static_cast<std::int64_t>(stream.head.size()) ? stream.head[static_cast<std::size_t>(at)] : 0;
    }
    stream.read += count;
    return count;
  }
};

// Headers first: a picture beyond the limits is refused from the few hundred
// bytes of its headers, and an accepted one is read no further than it needs,
// however long the stream or file behind it.
TEST_F(LoadTest, AStreamIsReadOnlyAsFarAsItsPictureNeeds) {
  BmpFile huge = bmptest::Make24(1, 1, {1, 2, 3});
  huge.width = huge.height = 50000;
  const BmpFile small = bmptest::Make8(5, 3, bmptest::RandomBytes(15, 5));
  struct Case {
    const char* what;
    Bytes bytes;
    CLoadLimits limits;
    Reason error;
    std::int64_t mostRead;
  } const cases[] = {
      {"50000 x 50000", huge.Build(), kWideLimits, Reason::kTooManyPixels, 14 + 124},
      {"beyond the export's columns", huge.Build(), kExportLimits, Reason::kTooWide, 14 + 124},
      {"within the limits", small.Build(), kWideLimits, Reason::kNone,
       static_cast<std::int64_t>(small.Build().size())},
      {"smaller than the headers read", bmptest::Make24(1, 1, {1, 2, 3}).Build(), kWideLimits, Reason::kNone,
       14 + 124},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    CountedStream stream{c.bytes};
    EXPECT_EQ(image.LoadBmpFromStream({CountedStream::Read, &stream}, c.limits), c.error == Reason::kNone);
    EXPECT_EQ(image.m_loadError, c.error);
    EXPECT_LE(stream.read, c.mostRead);
    CBmpImage fromFile;
    EXPECT_EQ(bmptest::LoadBytes(fromFile, dir, c.bytes, "file.bmp", c.limits), c.error == Reason::kNone);
    EXPECT_EQ(fromFile.m_loadError, c.error);
    if (c.error == Reason::kNone) {
      EXPECT_EQ(bmptest::PictureBgr(image), bmptest::PictureBgr(fromFile));
    }
  }
}

// One refusal a row: the file, what is wrong with it, and the reason given.
struct Refusal {
  const char* what;
  Bytes bytes;
  Reason error;
};

std::vector<Refusal> Refusals() {
  const BmpFile good = bmptest::Make8(4, 2, Bytes(8, 1));
  auto with = [&](auto change) {
    BmpFile file = good;
    change(file);
    return file.Build();
  };
  Bytes truncatedHeaders = good.Build();
  truncatedHeaders.resize(53);
  return {
      {"text", Bytes{'h', 'e', 'l', 'l', 'o'}, Reason::kNoSignature},
      {"empty file", Bytes{}, Reason::kNoSignature},
      {"wrong signature", with([](BmpFile& f) { f.type = 0x4142; }), Reason::kNoSignature},
      {"PNG", Bytes{0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A, 0, 0, 0, 13}, Reason::kPngFile},
      {"JPEG", Bytes{0xFF, 0xD8, 0xFF, 0xE0, 0, 16, 'J', 'F', 'I', 'F'}, Reason::kJpegFile},
      {"GIF", Bytes{'G', 'I', 'F', '8', '9', 'a', 1, 0, 1, 0}, Reason::kGifFile},
      {"53 bytes", truncatedHeaders, Reason::kTooShort},
      {"header size 11", with([](BmpFile& f) { f.headerSize = 11; }), Reason::kInfoHeaderTooSmall},
      {"header size 13", with([](BmpFile& f) { f.headerSize = 13; }), Reason::kUnknownInfoHeaderSize},
      {"header past end", with([](BmpFile& f) { f.headerSize = 1u << 30; }), Reason::kInfoHeaderPastEnd},
      {"compression 7", with([](BmpFile& f) { f.compression = 7; }), Reason::kUnsupportedCompression},
      {"JPEG inside", with([](BmpFile& f) { f.compression = 4; }), Reason::kEmbeddedJpeg},
      {"PNG inside", with([](BmpFile& f) { f.compression = 5; }), Reason::kEmbeddedPng},
      {"8-bit bit fields", with([](BmpFile& f) { f.compression = 3; }), Reason::kCompressionBitCountMismatch},
      {"3-bit", with([](BmpFile& f) { f.bitCount = 3; }), Reason::kUnsupportedBitCount},
      {"48-bit", with([](BmpFile& f) { f.bitCount = 48; }), Reason::kUnsupportedBitCount},
      {"0-bit", with([](BmpFile& f) { f.bitCount = 0; }), Reason::kUnsupportedBitCount},
      {"negative width", with([](BmpFile& f) { f.width = -4; }), Reason::kNegativeWidth},
      {"width 32769", with([](BmpFile& f) { f.width = 32769; }), Reason::kTooWide},
      {"width 0", with([](BmpFile& f) { f.width = 0; }), Reason::kNoPixels},
      {"height 0", with([](BmpFile& f) { f.height = 0; }), Reason::kNoPixels},
      {"colours used 65536", with([](BmpFile& f) { f.coloursUsed = 65536; }), Reason::kTooManyColours},
      {"colours used 2^31", with([](BmpFile& f) { f.coloursUsed = 0x80000000u; }), Reason::kTooManyColours},
      {"table past end", with([](BmpFile& f) { f.coloursUsed = 300; }), Reason::kColourTablePastEnd},
      {"short table", with([](BmpFile& f) { f.colourTable.resize(16); }), Reason::kColourTablePastEnd},
      {"pixels inside headers", with([](BmpFile& f) { f.pixelOffset = 53; }), Reason::kBadPixelOffset},
      {"pixels past end", with([](BmpFile& f) { f.pixelOffset = 1u << 20; }), Reason::kBadPixelOffset},
  };
}

TEST_F(LoadTest, RefusedFilesLeaveAnEmptyObjectEmpty) {
  for (const Refusal& refusal : Refusals()) {
    SCOPED_TRACE(refusal.what);
    EXPECT_EQ(Load(refusal.bytes), 0);
    EXPECT_EQ(image.m_loadError, refusal.error);
    ExpectEmpty(image);
  }
}

TEST_F(LoadTest, RefusedFilesLeaveALoadedObjectAsItWas) {
  const Bytes bgr = bmptest::RandomBytes(2 * 2 * 3, 3);
  for (const Refusal& refusal : Refusals()) {
    SCOPED_TRACE(refusal.what);
    ASSERT_EQ(Load(bmptest::Make24(2, 2, bgr)), 1);
    EXPECT_EQ(bmptest::LoadBytes(image, dir, refusal.bytes, "refused.bmp"), 0);
    EXPECT_EQ(image.m_width, 2);
    EXPECT_EQ(bmptest::PictureBgr(image), bgr);
  }
}

TEST_F(LoadTest, FilesThatCannotBeOpenedAreRefused) {
  EXPECT_EQ(image.LoadBmp(nullptr), 0);
  EXPECT_EQ(image.m_loadError, Reason::kCannotOpen);
  EXPECT_EQ(image.LoadBmp(dir.File("missing.bmp").c_str()), 0);
  EXPECT_EQ(image.m_loadError, Reason::kCannotOpen);
  EXPECT_EQ(image.m_loadSystemError, ENOENT);
  EXPECT_EQ(image.LoadBmp(dir.Path().c_str()), 0);
  EXPECT_EQ(image.m_loadError, Reason::kNotRegularFile);
  EXPECT_EQ(image.LoadBmp("bad-\xFF-utf8.bmp"), 0);
  EXPECT_EQ(image.m_loadError, Reason::kCannotOpen);
  ExpectEmpty(image);
}

TEST_F(LoadTest, EveryRefusalHasItsOwnWords) {
  std::set<std::string> phrases;
  for (int e = static_cast<int>(Reason::kNone); e <= static_cast<int>(Reason::kOutOfMemory); ++e) {
    phrases.insert(DescribeReason(static_cast<Reason>(e)));
  }
  EXPECT_EQ(phrases.size(), static_cast<std::size_t>(Reason::kOutOfMemory) + 1);
  EXPECT_STREQ(DescribeReason(Reason::kNoSignature), "not a BMP file (no BM signature)");
}

TEST_F(LoadTest, ASecondLoadReplacesEverythingTheFirstHeld) {
  ASSERT_EQ(Load(bmptest::Make24(3, 5, Bytes(45, 1))), 1);
  ASSERT_EQ(Load(bmptest::Make8(2, 2, {1, 2, 3, 4})), 1);
  EXPECT_EQ(image.m_is24Bit, 0);
  for (int row = 0; row < kMaxRows; ++row) ASSERT_EQ(image.m_rgbRows[row], nullptr) << row;
  ASSERT_EQ(Load(bmptest::Make24(1, 1, {7, 8, 9})), 1);
  for (int row = 0; row < kMaxRows; ++row) ASSERT_EQ(image.m_grayRows[row], nullptr) << row;
  EXPECT_FALSE(image.m_palette.HasPalette()) << "the 8-bit picture's palette went with it";
  EXPECT_EQ(bmptest::PictureBgr(image), (Bytes{7, 8, 9}));
}

}  // namespace
}  // namespace tamrovi
