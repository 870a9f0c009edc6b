#include <gtest/gtest.h>

#include "image/BmpImage.h"
#include "image/BmpWriter.h"
#include "support/ImageFixture.h"

namespace tamrovi {
namespace {

using bmptest::BmpFile;
using bmptest::Bytes;

class SaveTest : public ::testing::Test {
 protected:
  // Loads `input`, saves it, and returns the written file.
  Bytes RoundTrip(const Bytes& input) {
    CBmpImage image;
    bmptest::LoadBytes(image, dir, input);
    EXPECT_EQ(image.SaveBmp24(dir.File("out.bmp").c_str()), 1);
    const Bytes written = bmptest::ReadFile(dir.File("out.bmp"));
    CMemoryOutput memory;
    EXPECT_TRUE(WriteBmp24(image, SinkOf(memory)).Ok());
    EXPECT_EQ(Bytes(memory.Bytes(), memory.Bytes() + memory.Size()), written) << "memory holds what the file does";
    return written;
  }

  bmptest::TempDir dir;
};

TEST_F(SaveTest, ColourPicturesComeBackWithRebuiltHeaders) {
  // The builder's defaults are exactly the headers the writer rebuilds, so a
  // bottom-up 24-bit file with a 40-byte header comes back byte for byte.
  for (std::int32_t width : {1, 2, 3, 4, 5, 6, 7, 8}) {
    SCOPED_TRACE(width);
    const Bytes bgr = bmptest::RandomBytes(3 * static_cast<std::size_t>(width) * 3, width);
    const Bytes expected = bmptest::Make24(width, 3, bgr).Build();
    EXPECT_EQ(RoundTrip(expected), expected);
    EXPECT_EQ(RoundTrip(bmptest::Make24(width, 3, bgr, true).Build()), expected) << "top-down comes out bottom-up";

    BmpFile unusual = bmptest::Make24(width, 3, bgr);
    unusual.headerSize = 124;
    unusual.gap = Bytes(10, 0xAB);
    unusual.xPixelsPerMetre = 2835;
    unusual.reserved1 = 7;
    EXPECT_EQ(RoundTrip(unusual.Build()), expected);
  }
}

TEST_F(SaveTest, WidthFiveRowsArePaddedToSixteenBytes) {
  const Bytes written = RoundTrip(bmptest::Make24(5, 2, Bytes(30, 0x42)).Build());
  ASSERT_EQ(written.size(), 54u + 16 * 2);
  EXPECT_EQ(bmp::ReadU32(written.data() + 2), 54u + 16 * 2);
  EXPECT_EQ(written[54 + 15], 0) << "padding byte";
  EXPECT_EQ(written[54 + 16], 0x42);
  BmpFile dirty = bmptest::Make24(5, 2, Bytes(30, 0x42));
  dirty.pixels[15] = dirty.pixels[31] = 0xEE;
  EXPECT_EQ(RoundTrip(dirty.Build()), written) << "the file's own padding is not written";
}

TEST_F(SaveTest, BytePlanePicturesAreWrittenThroughTheirColourTable) {
  Bytes table = bmptest::GrayColourTable(3);
  table[4 * 1 + 0] = 10, table[4 * 1 + 1] = 20, table[4 * 1 + 2] = 30;  // entry 1 is a colour
  const BmpFile file = bmptest::Make8(5, 2, {0, 1, 2, 3, 200, 1, 1, 0, 255, 2}, false, table);
  // Bytes naming no entry (3, 200, 255 with 3 entries) are written as their gray level.
  const Bytes expected = bmptest::Make24(5, 2,
                                         {0, 0, 0, 10, 20, 30, 2, 2, 2, 3, 3, 3, 200, 200, 200,  //
                                          10, 20, 30, 10, 20, 30, 0, 0, 0, 255, 255, 255, 2, 2, 2})
                             .Build();
  EXPECT_EQ(RoundTrip(file.Build()), expected);
}

TEST_F(SaveTest, GrayEightBitFilesKeepTheirGraysExactly) {
  const Bytes gray = bmptest::RandomBytes(7 * 3, 9);
  for (bool topDown : {false, true}) {
    EXPECT_EQ(RoundTrip(bmptest::Make8(7, 3, gray, topDown).Build()),
              bmptest::Make24(7, 3, bmptest::GrayToBgr(gray)).Build());
  }
}

// The writer gathers rows into chunks of 64 KiB: rows that fill a chunk
// exactly, rows larger than a chunk, and many small rows whose chunks end
// midway through a row all come back whole.
TEST_F(SaveTest, RowsOfEverySizeAgainstTheWritersChunksComeBackWhole) {
  const std::pair<std::int32_t, std::int32_t> sizes[] = {
      {21845, 2},  // 65535 bytes and 1 of padding: exactly one chunk a row
      {21846, 2},  // a row larger than a chunk
      {30001, 3},  // larger still, with padding
      {7, 1000},   // 22 bytes a row, chunks ending inside rows
      {1365, 20},  // 4095 bytes and 1 of padding
  };
  for (const auto& [width, height] : sizes) {
    SCOPED_TRACE(::testing::Message() << width << "x" << height);
    const auto pixels = static_cast<std::size_t>(width) * height;
    const Bytes bgr = bmptest::RandomBytes(3 * pixels, width + height);
    const Bytes colour = bmptest::Make24(width, height, bgr).Build();
    EXPECT_EQ(RoundTrip(colour), colour);
    const Bytes gray = bmptest::RandomBytes(pixels, width * height);
    EXPECT_EQ(RoundTrip(bmptest::Make8(width, height, gray).Build()),
              bmptest::Make24(width, height, bmptest::GrayToBgr(gray)).Build());
  }
}

TEST_F(SaveTest, AnEmptyObjectWritesTheHeadersAlone) {
  CBmpImage image;
  ASSERT_EQ(image.SaveBmp24(dir.File("empty.bmp").c_str()), 1);
  const Bytes written = bmptest::ReadFile(dir.File("empty.bmp"));
  EXPECT_EQ(written, bmptest::Make24(0, 0, {}).Build());
  EXPECT_EQ(written.size(), 54u);
}

TEST_F(SaveTest, OutputsThatCannotBeWrittenLeaveNoFile) {
  CBmpImage image;
  bmptest::LoadBytes(image, dir, bmptest::Make24(2, 2, Bytes(12, 5)).Build());
  EXPECT_EQ(image.SaveBmp24(nullptr), 0);
  EXPECT_EQ(image.SaveBmp24(dir.File("no/such/folder.bmp").c_str()), 0);
  EXPECT_EQ(image.SaveBmp24(dir.Path().c_str()), 0) << "a folder";
  if (bmptest::FileExists("/dev/full")) {
    EXPECT_EQ(image.SaveBmp24("/dev/full"), 0) << "the device reports no space";
    EXPECT_TRUE(bmptest::FileExists("/dev/full")) << "only regular files are removed after a failed write";
  }
  const CResult refused = SaveToPath(static_cast<const char*>(nullptr), [&](const CByteSink& out) { return WriteBmp24(image, out); });
  EXPECT_EQ(refused.reason, Reason::kCannotWrite);
  EXPECT_EQ(refused.systemError, ENOENT);
  CMemoryOutput memory;
  FailNthAllocation(2);  // the chunk's falls back to the stack; the memory's own fails
  const CResult full = WriteBmp24(image, SinkOf(memory));
  FailNthAllocation(0);
  EXPECT_EQ(full.systemError, ENOMEM);
}

}  // namespace
}  // namespace tamrovi
