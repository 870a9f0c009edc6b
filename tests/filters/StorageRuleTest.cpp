// A gray picture gives the same output file whether it was stored as a 24-bit
// file (blue = green = red) or as an 8-bit file with a gray palette, in either
// row order, for every filter code; and any 8-bit file, whatever its colour
// table, gives what the picture it shows gives stored as a 24-bit file.
#include <gtest/gtest.h>

#include "analysis/GaussianSmooth.h"
#include "analysis/GrayHistogram.h"
#include "filters/GrayPicture.h"
#include "support/ImageFixture.h"

namespace {

using bmptest::Bytes;

// Levels on both sides of every threshold the filters use.
constexpr std::uint8_t kThresholdLevels[] = {0, 14, 15, 16, 17, 63, 64, 127, 128, 199, 200, 201, 202, 255};

Bytes Content(int kind, std::int32_t width, std::int32_t height) {
  if (kind == 0) return bmptest::RandomBytes(static_cast<std::size_t>(width * height), width * 131 + height);
  Bytes gray;
  for (std::int32_t row = 0; row < height; ++row) {
    for (std::int32_t column = 0; column < width; ++column) {
      const bool inSquare = 4 * row >= height && 4 * row < 3 * height && 4 * column >= width && 4 * column < 2 * width;
      gray.push_back(kind == 1   ? kThresholdLevels[(7 * row + 3 * column) % std::size(kThresholdLevels)]
                     : inSquare ? static_cast<std::uint8_t>(8 + (row + column) % 3)
                                : static_cast<std::uint8_t>(255 - (5 * row + 3 * column) % 64));
    }
  }
  return gray;
}

// Pictures taller than the export's 1600 rows are read with the wide limits,
// which give every smaller picture exactly what the export gives it.
TEST(StorageRuleTest, GrayPictureGivesTheSameFileInEveryStorage) {
  bmptest::TempDir dir;
  const tamrovi::CLoadLimits wide = tamrovi::kWideLimits;
  const std::pair<std::int32_t, std::int32_t> sizes[] = {{1, 1},  {1, 9},   {9, 1},  {2, 7},   {7, 2},    {3, 3},
                                                         {4, 4},  {12, 12}, {13, 9}, {31, 17}, {3, 1601}, {1, 100000}};
  for (const auto& [width, height] : sizes) {
    for (int kind = 0; kind < 3; ++kind) {  // random, threshold levels, a dark square on a gradient
      const Bytes gray = Content(kind, width, height);
      for (std::int32_t code = 0; code <= 8; ++code) {
        SCOPED_TRACE(testing::Message() << width << "x" << height << ", content " << kind << ", code " << code);
        const Bytes expected = bmptest::FilterThroughCore(
            dir, bmptest::GrayFile(bmptest::kStorages[0], width, height, gray).Build(), code, wide);
        ASSERT_EQ(expected.size(), 54 + static_cast<std::size_t>(height) * ((3 * width + 3) / 4 * 4));
        for (const bmptest::Storage storage : bmptest::kStorages) {
          const Bytes input = bmptest::GrayFile(storage, width, height, gray).Build();
          EXPECT_EQ(bmptest::FilterThroughCore(dir, input, code, wide), expected) << storage.Name();
          const Bytes exported = bmptest::FilterThroughCore(dir, input, code);
          EXPECT_EQ(exported.size() == 54, height > tamrovi::kMaxRows) << "the export keeps its row limit";
          if (code == 5) {
            const Bytes flippedTwice = bmptest::FilterThroughCore(dir, expected, 5, wide);
            EXPECT_EQ(flippedTwice, bmptest::FilterThroughCore(dir, input, 0, wide)) << "flip twice is the identity";
          }
        }
      }
    }
  }
}

// Colour tables of every kind an 8-bit file meets: 4 bytes an entry.
struct Palette {
  const char* name;
  Bytes table;
};

std::vector<Palette> Palettes() {
  Bytes packedGray(4 * 256, 0), reversedGray, randomColours = bmptest::RandomBytes(4 * 256, 7);
  for (int i = 0; i < 90; ++i) packedGray[4 * i] = packedGray[4 * i + 1] = packedGray[4 * i + 2] = 40 + 2 * i;
  for (int i = 0; i < 256; ++i) reversedGray.insert(reversedGray.end(), {std::uint8_t(255 - i), std::uint8_t(255 - i), std::uint8_t(255 - i), 0});
  Bytes shortColours(randomColours.begin(), randomColours.begin() + 4 * 40);
  Bytes nearlyGray = bmptest::GrayColourTable(256);
  nearlyGray[4 * 200 + 1] = 201;  // one entry a step off gray
  return {{"gray ramp", bmptest::GrayColourTable(256)}, {"short gray ramp", bmptest::GrayColourTable(16)},
          {"packed gray", packedGray},                  {"reversed gray", reversedGray},
          {"random colours", randomColours},            {"40 colours, indexes past them", shortColours},
          {"nearly gray", nearlyGray}};
}

// The colours `indexes` show through `table`: an index past it shows its own gray.
Bytes Shown(const Bytes& indexes, const Bytes& table) {
  Bytes bgr;
  for (std::uint8_t index : indexes) {
    if (4u * index < table.size()) bgr.insert(bgr.end(), &table[4 * index], &table[4 * index] + 3);
    else bgr.insert(bgr.end(), {index, index, index});
  }
  return bgr;
}

// The same indexes run-length coded, one pixel a run, rows from the bottom.
Bytes Rle8Of(std::int32_t width, std::int32_t height, const Bytes& indexes, const Bytes& table) {
  bmptest::RleStream data(8);
  for (std::int32_t row = height - 1; row >= 0; --row) {
    for (std::int32_t column = 0; column < width; ++column) data.Run(1, indexes[row * width + column]);
    data.EndOfLine();
  }
  return bmptest::MakeRle(width, height, 8, data.EndOfBitmap(), table).Build();
}

// What one operation makes of `file`: the 24-bit file written after a filter
// code (9 is the histogram, 10 the smoothing), or the histogram's counts.
Bytes Operate(const bmptest::TempDir& dir, const Bytes& file, std::int32_t operation) {
  if (operation <= 8) return bmptest::FilterThroughCore(dir, file, operation, tamrovi::kWideLimits);
  tamrovi::CBmpImage image;
  EXPECT_EQ(bmptest::LoadBytes(image, dir, file, "input.bmp", tamrovi::kWideLimits), 1);
  if (operation == 10) {
    EXPECT_EQ(tamrovi::GaussianSmooth(image, 1.3), 1);
    image.SaveBmp24(dir.File("smoothed.bmp").c_str());
    return bmptest::ReadFile(dir.File("smoothed.bmp"));
  }
  std::int32_t counts[tamrovi::kGrayLevels];
  tamrovi::GrayHistogram(image, counts);
  const auto* bytes = reinterpret_cast<const std::uint8_t*>(counts);
  return Bytes(bytes, bytes + sizeof counts);
}

TEST(StorageRuleTest, EveryEightBitFileGivesWhatItsPictureGivesStoredAs24Bit) {
  bmptest::TempDir dir;
  const std::pair<std::int32_t, std::int32_t> sizes[] = {{1, 1}, {2, 7}, {5, 3}, {13, 9}, {33, 6}, {640, 4000}};
  for (const Palette& palette : Palettes()) {
    for (const auto& [width, height] : sizes) {
      if (height > tamrovi::kMaxRows && palette.name != std::string("random colours")) continue;  // one is enough
      // Random indexes, and areas of one index, so that edges and insides both occur.
      Bytes indexes = bmptest::RandomBytes(static_cast<std::size_t>(width * height), width + 17 * height);
      for (std::size_t i = 0; i < indexes.size(); i += 2) indexes[i] = indexes[i] < 128 ? 3 : 250;
      for (const bool topDown : {false, true}) {
        const Bytes stored = bmptest::Make8(width, height, indexes, topDown, palette.table).Build();
        const Bytes asColour = bmptest::Make24(width, height, Shown(indexes, palette.table), topDown).Build();
        for (std::int32_t operation = 0; operation <= 10; ++operation) {
          SCOPED_TRACE(testing::Message() << palette.name << ", " << width << "x" << height
                                          << (topDown ? " top-down" : " bottom-up") << ", operation " << operation);
          const Bytes expected = Operate(dir, asColour, operation);
          EXPECT_EQ(Operate(dir, stored, operation), expected);
          if (!topDown) {
            EXPECT_EQ(Operate(dir, Rle8Of(width, height, indexes, palette.table), operation), expected);
          }
        }
      }
    }
  }
}

TEST(StorageRuleTest, CodesFourAndSixAreTheSameFilter) {
  bmptest::TempDir dir;
  const Bytes gray = Content(1, 13, 9);
  for (const bmptest::Storage storage : bmptest::kStorages) {
    const Bytes input = bmptest::GrayFile(storage, 13, 9, gray).Build();
    const Bytes whitened = bmptest::FilterThroughCore(dir, input, 4);
    EXPECT_NE(whitened, bmptest::FilterThroughCore(dir, input, 0));
    EXPECT_EQ(bmptest::FilterThroughCore(dir, input, 6), whitened) << storage.Name();
  }
}

}  // namespace
