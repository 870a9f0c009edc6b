// Files of about a hundred bytes whose headers claim the largest picture
// accepted, and run-length data that only moves: whatever a file claims,
// the work and the memory it costs are bounded by the picture limits, never
// by the claims themselves or by the codes the data repeats.
//
// The bounds below are generous on purpose (sanitizer and debug builds run
// far slower than a release build): they catch a cost that grows without
// limit, not a slow machine.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <functional>

#include "analysis/GaussianSmooth.h"
#include "analysis/GrayHistogram.h"
#include "entry/FilterTable.h"
#include "image/BmpImage.h"
#include "platform/Allocation.h"
#include "support/ImageFixture.h"

namespace {

using namespace bmptest;
using tamrovi::CBmpImage;
using tamrovi::kMaxRows;
using tamrovi::kMaxWidth;

constexpr std::int64_t kMiB = 1 << 20;
constexpr std::int64_t kLargestPicture = std::int64_t{kMaxWidth} * kMaxRows;  // pixels

// What each operation may hold at most, on top of the file's own bytes, for a
// picture at the limits.
// Load: the colour rows (3 bytes a pixel), or the byte plane extended to whole
// stored rows plus its row copies; a stored row of scratch; the palette.
constexpr std::int64_t kLoadLimit = 3 * kLargestPicture + kMiB;
// Outline, Roberts and Laplace: work rows of at most 8 bytes a column,
// allowed twice that. A table of the whole picture fails this.
constexpr std::int64_t kWorkRowsLimit = 2 * 8 * std::int64_t{kMaxWidth};
// Smoothing at sigma 0.3: six rows of doubles (three the kernel spans, three
// more), allowed twice that.
constexpr std::int64_t kSmoothingLimit = 2 * 6 * 8 * std::int64_t{kMaxWidth};
// The allocator's own rounding of some three thousand blocks.
constexpr std::int64_t kRoundingSlack = kMiB;

// Seconds one operation may take here; a release build needs well under one.
constexpr double kSecondsAllowed = 60.0;

struct Cost {
  double seconds = 0;
  std::int64_t peakBytes = 0;  // above what was held before
};

Cost Measure(const std::function<void()>& operation) {
  const std::int64_t held = tamrovi::AllocatedBytes();
  tamrovi::ResetPeakAllocatedBytes();
  const auto start = std::chrono::steady_clock::now();
  operation();
  const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start;
  const Cost cost{elapsed.count(), tamrovi::PeakAllocatedBytes() - held};
  EXPECT_EQ(tamrovi::AllocatedBytes(), held) << "every block is given back";
  EXPECT_LT(cost.seconds, kSecondsAllowed);
  return cost;
}

void Report(const char* what, const std::string& operation, const Cost& cost) {
  std::printf("%-28s %-16s %8.3f s %10.1f MiB\n", what, operation.c_str(), cost.seconds,
              static_cast<double>(cost.peakBytes) / kMiB);
}

BmpFile Claiming(BmpFile file) {
  file.width = kMaxWidth;
  file.height = kMaxRows;
  return file;
}

enum class Layout { kColourRows, kBytePlane, kDecodedToColour };

struct HostileFile {
  const char* what;
  Layout layout;
  Bytes bytes;
};

std::vector<HostileFile> HostileFiles() {
  const Bytes twoColours = {0, 0, 0, 0, 255, 255, 255, 0};
  const RleStream rle8 = RleStream(8).Run(200, 1).Delta(100, 3).Literal({0, 1, 1, 0}).EndOfLine().Run(9, 1);
  const RleStream rle4 = RleStream(4).Run(200, 0x01).Delta(100, 3).Literal({0, 1, 1, 0}).EndOfLine().Run(9, 0x10);
  return {
      {"24-bit", Layout::kColourRows, Claiming(Make24(4, 4, RandomBytes(48, 1))).Build()},
      {"8-bit", Layout::kBytePlane, Claiming(Make8(4, 4, RandomBytes(16, 2), false, GrayColourTable(2))).Build()},
      {"16-bit bit fields", Layout::kDecodedToColour, Claiming(MakeBitFields(4, 4, 16, std::vector<std::uint32_t>(16, 0xF81F),
                                                   {0xF800, 0x07E0, 0x001F}))
                                .Build()},
      {"RLE8", Layout::kDecodedToColour, Claiming(MakeRle(4, 4, 8, rle8, twoColours)).Build()},
      {"RLE4", Layout::kDecodedToColour, Claiming(MakeRle(4, 4, 4, rle4, twoColours)).Build()},
  };
}

TEST(BoundedCostTest, AHundredByteFileClaimingTheLargestPictureLoadsWithinThePictureLimits) {
  TempDir dir;
  for (const HostileFile& file : HostileFiles()) {
    SCOPED_TRACE(file.what);
    ASSERT_LT(file.bytes.size(), 128u);
    WriteFile(dir.File("in.bmp"), file.bytes);
    const Cost load = Measure([&] {
      CBmpImage image;
      ASSERT_EQ(image.LoadBmp(dir.File("in.bmp").c_str()), 1);
      EXPECT_EQ(image.m_width, kMaxWidth);
      EXPECT_EQ(image.m_height, kMaxRows);
    });
    Report(file.what, "load", load);
    EXPECT_LE(load.peakBytes, kLoadLimit + kRoundingSlack);
  }
}

// Pixels near the end: the file image grows to whole rows where it lies.
TEST(BoundedCostTest, AFileWhosePixelsStartNearItsEndIsHeldOnce) {
  TempDir dir;
  BmpFile file = Make8(4, kMaxRows, Bytes(4 * kMaxRows, 1));
  file.gap = Bytes(16 * kMiB, 0), file.pixels.resize(4);
  WriteFile(dir.File("in.bmp"), file.Build());
  const Cost load = Measure([&] { EXPECT_EQ(CBmpImage().LoadBmp(dir.File("in.bmp").c_str()), 1); });
  EXPECT_LE(load.peakBytes, 19 * kMiB) << "once, in whole large pages of 2 MiB";
}

// Every variant loads into one of two layouts, colour rows or the byte plane,
// and everything after the load sees only the layout: one file of each.
TEST(BoundedCostTest, EveryOperationOnTheLargestPictureCostsNoMoreThanThePicture) {
  TempDir dir;
  for (const HostileFile& file : HostileFiles()) {
    if (file.layout == Layout::kDecodedToColour) continue;
    SCOPED_TRACE(file.what);
    WriteFile(dir.File("in.bmp"), file.bytes);
    const std::string in = dir.File("in.bmp");
    for (std::int32_t code = 0; code <= 8; ++code) {
      SCOPED_TRACE(code);
      CBmpImage image;
      ASSERT_EQ(image.LoadBmp(in.c_str()), 1);
      const Cost filter = Measure([&] {
        tamrovi::ApplyFilterCode(image, code);
        image.SaveBmp24("/dev/null");
      });
      Report(file.what, "filter " + std::to_string(code) + " + save", filter);
      EXPECT_LE(filter.peakBytes, kWorkRowsLimit);
    }

    CBmpImage image;
    ASSERT_EQ(image.LoadBmp(in.c_str()), 1);
    const Cost histogram = Measure([&] {
      std::int32_t counts[tamrovi::kGrayLevels];
      tamrovi::GrayHistogram(image, counts);
    });
    Report(file.what, "histogram", histogram);
    EXPECT_EQ(histogram.peakBytes, 0);
    // The narrowest kernel there is: smoothing's cost grows with sigma by design.
    const Cost smoothing = Measure([&] { EXPECT_EQ(tamrovi::GaussianSmooth(image, 0.3), 1); });
    Report(file.what, "smooth 0.3", smoothing);
    EXPECT_LE(smoothing.peakBytes, kSmoothingLimit);
    const Cost dib = Measure([&] { EXPECT_EQ(image.SaveDib("/dev/null"), 1); });
    Report(file.what, "SaveDib", dib);
    EXPECT_LE(dib.peakBytes, kMiB) << "a path's conversions only";
  }
}

TEST(BoundedCostTest, RunLengthDataThatOnlyMovesEndsWithItsData) {
  // Moves of nothing and line ends, repeated through megabytes of data, over
  // the largest picture and over a single pixel: each code is read once.
  RleStream standing(8);
  for (int i = 0; i < 512 * 1024; ++i) standing.Delta(0, 0);
  RleStream climbing(8);
  for (int i = 0; i < 1024 * 1024; ++i) climbing.EndOfLine();
  RleStream crossing(8);
  for (int i = 0; i < 512 * 1024; ++i) crossing.Delta(255, 0).Delta(0, 0);
  const Bytes twoColours = {0, 0, 0, 0, 255, 255, 255, 0};
  TempDir dir;
  for (const RleStream* data : {&standing, &climbing, &crossing}) {
    for (const std::int32_t side : {1, kMaxWidth}) {
      BmpFile file = MakeRle(side, side == 1 ? 1 : kMaxRows, 8, *data, twoColours);
      WriteFile(dir.File("in.bmp"), file.Build());
      const Cost load = Measure([&] {
        CBmpImage image;
        EXPECT_EQ(image.LoadBmp(dir.File("in.bmp").c_str()), 1);
      });
      Report("RLE8 that only moves", "load " + std::to_string(side) + " wide", load);
    }
  }
}

}  // namespace
