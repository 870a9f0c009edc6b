// Each filter's rules, case by case: gray pictures in every storage, then the
// rules that only colour pixels show.
#include <gtest/gtest.h>

#include "filters/Filters.h"
#include "filters/GrayPicture.h"
#include "support/ImageFixture.h"

namespace {

using bmptest::Bytes;
using namespace tamrovi;

struct FilterCase {
  const char* name;
  FilterOperation filter;
  std::int32_t width, height;
  Bytes input, expected;  // rows from the top: gray levels, or blue, green, red
};

constexpr std::uint8_t W = 255;
const std::vector<std::string> kSquare = {"......", ".##...", ".##...", "......", "......", "......"};

const FilterCase kGrayCases[] = {
    {"outline: uniform dark (200) turns white inside", OutlineFilter, 4, 3, Bytes(12, 200),
     {200, 200, 200, 200, 200, W, W, 200, 200, 200, 200, 200}},
    {"outline: uniform light (201) turns black inside", OutlineFilter, 3, 3, Bytes(9, 201),
     {201, 201, 201, 201, 0, 201, 201, 201, 201}},
    {"outline: an isolated dark pixel keeps its value", OutlineFilter, 3, 3, {W, W, W, W, 10, W, W, W, W},
     {W, W, W, W, 10, W, W, W, W}},
    {"outline: one light diagonal neighbour keeps it", OutlineFilter, 3, 3, {50, 50, 50, 50, 50, 50, 50, 50, 250},
     {50, 50, 50, 50, 50, 50, 50, 50, 250}},
    {"outline: two rows change nothing", OutlineFilter, 5, 2, {0, W, 9, 201, 7, 1, 2, 3, 4, 5},
     {0, W, 9, 201, 7, 1, 2, 3, 4, 5}},
    {"outline: two columns change nothing", OutlineFilter, 2, 3, {0, W, 201, 7, 1, 2}, {0, W, 201, 7, 1, 2}},
    {"roberts: a = 1", RobertsFilter, 2, 2, {101, 100, 100, 100}, {W, W, W, W}},
    {"roberts: a = -1 is a difference of 1", RobertsFilter, 2, 2, {100, 100, 100, 101}, {W, W, W, W}},
    {"roberts: a = 49", RobertsFilter, 2, 2, {149, 100, 100, 100}, {W, W, W, W}},
    {"roberts: a = -50", RobertsFilter, 2, 2, {100, 100, 100, 150}, {0, W, W, W}},
    {"roberts: a = -210", RobertsFilter, 2, 2, {0, 100, 100, 210}, {0, W, W, W}},
    {"roberts: a = 30, b = 40 is exactly 50", RobertsFilter, 2, 2, {130, 140, 100, 100}, {0, W, W, W}},
    {"roberts: a = 35, b = 35 is 49.5", RobertsFilter, 2, 2, {135, 135, 100, 100}, {W, W, W, W}},
    {"roberts: b = -1 alone", RobertsFilter, 2, 2, {50, 10, 11, 50}, {W, W, W, W}},
    {"roberts: one row is white", RobertsFilter, 5, 1, {0, W, 0, W, 0}, Bytes(5, W)},
    {"roberts: a dark square's edges are around it", RobertsFilter, 6, 6, bmptest::Drawn(kSquare, 0, W),
     bmptest::Drawn({"###...", "#.#...", "###...", "......", "......", "......"}, 0, W)},
    {"laplace: centre below its neighbours", LaplaceFilter, 3, 3, {100, 100, 100, 100, 99, 100, 100, 100, 100},
     {0, 0, 0, 0, W, 0, 0, 0, 0}},
    {"laplace: centre above its neighbours", LaplaceFilter, 3, 3, {100, 100, 100, 100, 101, 100, 100, 100, 100},
     Bytes(9, 0)},
    {"laplace: 510 against 4 x 127", LaplaceFilter, 3, 3, {9, 0, 9, W, 127, W, 9, 0, 9}, {0, 0, 0, 0, W, 0, 0, 0, 0}},
    {"laplace: 510 against 4 x 128", LaplaceFilter, 3, 3, {9, 0, 9, W, 128, W, 9, 0, 9}, Bytes(9, 0)},
    {"laplace: uniform gray 100 is black", LaplaceFilter, 4, 4, Bytes(16, 100), Bytes(16, 0)},
    {"laplace: uniform white is black", LaplaceFilter, 4, 3, Bytes(12, W), Bytes(12, 0)},
    {"laplace: two rows are black", LaplaceFilter, 4, 2, {9, 200, 30, 4, W, 0, 1, 90}, Bytes(8, 0)},
    {"laplace: a dark square comes out white where it is", LaplaceFilter, 6, 6, bmptest::Drawn(kSquare, 0, W),
     bmptest::Drawn(kSquare, W, 0)},
    {"whiten-dark: below 16", WhitenDarkFilter, 5, 1, {15, 16, 0, W, 200}, {W, 16, W, W, 200}},
    {"flip: five rows", FlipVertical, 2, 5, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10}, {9, 10, 7, 8, 5, 6, 3, 4, 1, 2}},
    {"flip: one row", FlipVertical, 3, 1, {1, 2, 3}, {1, 2, 3}},
};

TEST(FilterCasesTest, GrayPicturesInEveryStorage) {
  bmptest::TempDir dir;
  for (const bmptest::Storage storage : bmptest::kStorages) {
    for (const FilterCase& c : kGrayCases) {
      SCOPED_TRACE(storage.Name() + ", " + c.name);
      EXPECT_EQ(bmptest::FilterGray(dir, storage, c.filter, c.width, c.height, c.input), c.expected);
    }
  }
}

// The window is columns width / 4 to (2 * width) / 3 and rows height / 3 to
// (2 * height) / 3, rows counted from the top in every storage.
TEST(FilterCasesTest, WindowKeepsTheSamePictureRowsInEveryStorage) {
  struct Window {
    std::int32_t width, height, firstColumn, lastColumn, firstRow, lastRow;
  };
  bmptest::TempDir dir;
  const Window windows[] = {{12, 12, 3, 8, 4, 8}, {100, 100, 25, 66, 33, 66}, {5, 13, 1, 3, 4, 8},
                            {4, 3, 1, 2, 1, 2},    {3, 2, 0, 2, 0, 1},         {1, 1, 0, 0, 0, 0}};
  for (const Window& w : windows) {
    const Bytes input = bmptest::RandomBytes(static_cast<std::size_t>(w.width * w.height), 4);
    Bytes expected = input;
    for (std::int32_t row = 0; row < w.height; ++row) {
      for (std::int32_t column = 0; column < w.width; ++column) {
        const bool kept = column >= w.firstColumn && column <= w.lastColumn && row >= w.firstRow && row <= w.lastRow;
        if (!kept) expected[row * w.width + column] = W;
      }
    }
    for (const bmptest::Storage storage : bmptest::kStorages) {
      SCOPED_TRACE(storage.Name() + ", " + std::to_string(w.width) + "x" + std::to_string(w.height));
      EXPECT_EQ(bmptest::FilterGray(dir, storage, CentreWindowFilter, w.width, w.height, input), expected);
    }
  }
}

Bytes Repeat(const Bytes& pixel, int count) {
  Bytes bytes;
  for (int i = 0; i < count; ++i) bytes.insert(bytes.end(), pixel.begin(), pixel.end());
  return bytes;
}

Bytes Join(std::initializer_list<Bytes> parts) {
  Bytes bytes;
  for (const Bytes& part : parts) bytes.insert(bytes.end(), part.begin(), part.end());
  return bytes;
}

// A 3 x 3 picture of `around` with `centre` in the middle.
Bytes Centred(const Bytes& around, const Bytes& centre) {
  Bytes bytes = Repeat(around, 9);
  std::copy(centre.begin(), centre.end(), bytes.begin() + 12);
  return bytes;
}

const Bytes kGray100 = {100, 100, 100};
const Bytes kDarkRed = {140, 30, 10}, kLightBlue = {250, 240, 230};

const FilterCase kColourCases[] = {
    {"outline: a channel sum of 602 is dark", OutlineFilter, 3, 3, Repeat({200, 201, 201}, 9),
     Centred({200, 201, 201}, {W, W, W})},
    {"outline: a channel sum of 603 is light", OutlineFilter, 3, 3, Repeat({201, 201, 201}, 9),
     Centred({201, 201, 201}, {0, 0, 0})},
    {"outline: a dark edge keeps its colour", OutlineFilter, 3, 3, Repeat(Join({kDarkRed, kDarkRed, kLightBlue}), 3),
     Repeat(Join({kDarkRed, kDarkRed, kLightBlue}), 3)},
    {"roberts: Gray3 150 against 100", RobertsFilter, 2, 2, Join({{150, 150, 151}, kGray100, kGray100, kGray100}),
     Join({{0, 0, 0}, Repeat({W, W, W}, 3)})},
    {"roberts: Gray3 149 against 100", RobertsFilter, 2, 2, Join({{150, 150, 149}, kGray100, kGray100, kGray100}),
     Repeat({W, W, W}, 4)},
    {"laplace: centre term 2 against grays 0", LaplaceFilter, 3, 3, Repeat({2, 0, 0}, 9), Bytes(27, 0)},
    {"laplace: centre term 6 against grays 2", LaplaceFilter, 3, 3, Centred({2, 2, 2}, {1, 2, 2}),
     Centred({0, 0, 0}, {W, W, W})},
    {"laplace: centre term 120 against grays 30", LaplaceFilter, 3, 3, Centred({0, 0, 90}, {30, 30, 30}),
     Bytes(27, 0)},
    {"whiten-dark: Gray3 below 16", WhitenDarkFilter, 6, 1,
     {15, 15, 15, 16, 16, 16, 47, 0, 0, 48, 0, 0, 100, 100, 60, 0, 0, 0},
     {W, W, W, 16, 16, 16, W, W, W, 48, 0, 0, 100, 100, 60, W, W, W}},
};

TEST(FilterCasesTest, ColourPictures) {
  bmptest::TempDir dir;
  for (const FilterCase& c : kColourCases) {
    SCOPED_TRACE(c.name);
    CBmpImage image;
    ASSERT_EQ(bmptest::LoadBytes(image, dir, bmptest::Make24(c.width, c.height, c.input).Build()), 1);
    c.filter(image);
    EXPECT_EQ(bmptest::PictureBgr(image), c.expected);
  }
}

}  // namespace
