// Files of about a hundred bytes whose headers claim the largest picture
// accepted, and run-length data that only moves: whatever a file claims,
// the memory it costs is bounded by the picture limits, never by the claims
// themselves or by the codes the data repeats.
//
// Each operation runs in a child process whose address space may grow only
// by the bound: an operation that needs more runs out of memory there, and
// says so (a load refuses the file, a filter reports kOutOfMemory). The
// sanitizers reserve address space of their own by the terabyte, so their
// builds leave this to the release build.
#include <gtest/gtest.h>

#include <functional>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include "analysis/GaussianSmooth.h"
#include "analysis/GrayHistogram.h"
#include "entry/FilterTable.h"
#include "image/BmpImage.h"
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
// Outline, Roberts and Laplace: work rows of at most 18 bytes a column
// (Laplace's), allowed twice that. A table of the whole picture fails this.
constexpr std::int64_t kWorkRowsLimit = 2 * 18 * std::int64_t{kMaxWidth};
// Smoothing at sigma 0.3: six rows of doubles (three the kernel spans, three
// more), allowed twice that.
constexpr std::int64_t kSmoothingLimit = 2 * 6 * 8 * std::int64_t{kMaxWidth};
// The allocator's own: a large block's alignment to a large page, its
// bookkeeping, the writer's chunk, the stack's growth.
constexpr std::int64_t kSlack = 8 * kMiB;

#if defined(__SANITIZE_ADDRESS__)
constexpr bool kAddressSpaceMeasurable = false;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
constexpr bool kAddressSpaceMeasurable = false;
#else
constexpr bool kAddressSpaceMeasurable = true;
#endif
#else
constexpr bool kAddressSpaceMeasurable = true;
#endif

// True when `operation` returns true in a child process whose address space
// may grow by at most `bytes` (and kSlack) beyond what it held at the start.
bool RunsWithin(std::int64_t bytes, const std::function<bool()>& operation) {
  const pid_t child = ::fork();
  if (child == 0) {
    long pages = 0;
    if (std::FILE* statm = std::fopen("/proc/self/statm", "r")) {
      if (std::fscanf(statm, "%ld", &pages) != 1) pages = 0;
      std::fclose(statm);
    }
    const auto held = static_cast<rlim_t>(pages) * static_cast<rlim_t>(::sysconf(_SC_PAGESIZE));
    const rlimit limit{held + static_cast<rlim_t>(bytes + kSlack), held + static_cast<rlim_t>(bytes + kSlack)};
    ::_exit(pages > 0 && ::setrlimit(RLIMIT_AS, &limit) == 0 && operation() ? 0 : 1);
  }
  int status = 0;
  return child > 0 && ::waitpid(child, &status, 0) == child && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

class BoundedCostTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!kAddressSpaceMeasurable) GTEST_SKIP() << "the sanitizers' address space cannot be bounded";
  }
};

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

TEST_F(BoundedCostTest, AHundredByteFileClaimingTheLargestPictureLoadsWithinThePictureLimits) {
  TempDir dir;
  for (const HostileFile& file : HostileFiles()) {
    SCOPED_TRACE(file.what);
    ASSERT_LT(file.bytes.size(), 128u);
    WriteFile(dir.File("in.bmp"), file.bytes);
    auto load = [&] {
      CBmpImage image;
      return image.LoadBmp(dir.File("in.bmp").c_str()) == 1 && image.m_width == kMaxWidth &&
             image.m_height == kMaxRows;
    };
    EXPECT_TRUE(RunsWithin(kLoadLimit, load));
    EXPECT_FALSE(RunsWithin(kLargestPicture / 2, load)) << "the bound binds: half a byte a pixel is not enough";
  }
}

// Pixels near the end: the file image grows to whole rows where it lies.
TEST_F(BoundedCostTest, AFileWhosePixelsStartNearItsEndIsHeldOnce) {
  TempDir dir;
  BmpFile file = Make8(4, kMaxRows, Bytes(4 * kMaxRows, 1));
  file.gap = Bytes(16 * kMiB, 0), file.pixels.resize(4);
  WriteFile(dir.File("in.bmp"), file.Build());
  EXPECT_TRUE(RunsWithin(19 * kMiB, [&] { return CBmpImage().LoadBmp(dir.File("in.bmp").c_str()) == 1; }))
      << "once, in whole large pages of 2 MiB";
}

// Every variant loads into one of two layouts, colour rows or the byte plane,
// and everything after the load sees only the layout: one file of each.
TEST_F(BoundedCostTest, EveryOperationOnTheLargestPictureCostsNoMoreThanThePicture) {
  TempDir dir;
  for (const HostileFile& file : HostileFiles()) {
    if (file.layout == Layout::kDecodedToColour) continue;
    SCOPED_TRACE(file.what);
    WriteFile(dir.File("in.bmp"), file.bytes);
    CBmpImage image;
    ASSERT_EQ(image.LoadBmp(dir.File("in.bmp").c_str()), 1);
    for (std::int32_t code = 0; code <= 8; ++code) {
      SCOPED_TRACE(code);
      EXPECT_TRUE(RunsWithin(kWorkRowsLimit, [&] {
        return tamrovi::ApplyFilterCode(image, code).Ok() && image.SaveBmp24("/dev/null") == 1;
      }));
    }
    EXPECT_TRUE(RunsWithin(0, [&] {
      std::int32_t counts[tamrovi::kGrayLevels];
      tamrovi::GrayHistogram(image, counts);
      return true;
    }));
    // The narrowest kernel there is: smoothing's cost grows with sigma by design.
    EXPECT_TRUE(RunsWithin(kSmoothingLimit, [&] { return tamrovi::GaussianSmooth(image, 0.3) == 1; }));
    EXPECT_TRUE(RunsWithin(0, [&] { return image.SaveDib("/dev/null") == 1; }));
  }
}

TEST_F(BoundedCostTest, RunLengthDataThatOnlyMovesEndsWithItsData) {
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
      EXPECT_TRUE(RunsWithin(kLoadLimit, [&] { return CBmpImage().LoadBmp(dir.File("in.bmp").c_str()) == 1; }));
    }
  }
}

}  // namespace
