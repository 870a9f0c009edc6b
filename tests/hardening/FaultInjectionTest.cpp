// Running out of memory anywhere in the pipeline: every allocation of a whole
// export call, then of the analysis operations, is made to fail in turn,
// until a call runs with none failing. Nothing may crash or leak, the export
// still returns 999, and whatever is written is whole: the filtered picture,
// or the headers of an empty picture that mark a failed call (a filter that
// cannot have its work rows leaves the picture alone, which is no result).
#include <gtest/gtest.h>

#include <cstdio>

#include "OutputChecks.h"
#include "analysis/GaussianSmooth.h"
#include "analysis/GrayHistogram.h"
#include "image/BmpImage.h"
#include "platform/Allocation.h"
#include "support/ImageFixture.h"
#include "tamrovibmpfilters.h"

namespace {

using namespace bmptest;
using tamrovi::AllocatedBytes;
using tamrovi::AllocationCount;
using tamrovi::CBmpImage;
using tamrovi::FailNthAllocation;

struct Input {
  const char* what;
  Bytes bytes;
};

// One file of each layout and each way of reading into it.
std::vector<Input> Inputs() {
  BmpFile shortGray = Make8(9, 7, RandomBytes(63, 2));
  shortGray.pixels.resize(20);  // the byte plane is extended in memory
  BmpFile shortColour = Make24(9, 7, RandomBytes(189, 3));
  shortColour.pixels.resize(50);  // rows decoded from a zero-completed copy
  return {
      {"24-bit", Make24(9, 7, RandomBytes(189, 1)).Build()},
      {"24-bit short", shortColour.Build()},
      {"8-bit", Make8(9, 7, RandomBytes(63, 4)).Build()},
      {"8-bit top-down, short", shortGray.Build()},
      {"4-bit", MakeIndexed(9, 7, 4, std::vector<std::uint32_t>(63, 5), RandomBytes(64, 5)).Build()},
      {"RLE8", MakeRle(9, 7, 8, RleStream(8).Run(9, 1).EndOfLine().Delta(2, 2).Literal({3, 4, 5}), RandomBytes(64, 6))
                   .Build()},
      {"16-bit bit fields", MakeBitFields(9, 7, 16, std::vector<std::uint32_t>(63, 0xBEEF), {0xF800, 0x07E0, 0x001F})
                                .Build()},
      {"refused", Bytes(60, 'B')},
  };
}

class FaultInjectionTest : public ::testing::Test {
 protected:
  // One export call with the `failAt`-th allocation failing (0: none), on a
  // fresh output. Returns how many allocations the call asked for.
  std::int64_t Export(std::int32_t code, std::int64_t failAt) {
    std::remove(dir.File("out.bmp").c_str());
    const std::int64_t held = AllocatedBytes();
    const std::int64_t before = AllocationCount();
    FailNthAllocation(failAt);
    const std::int32_t result = BMPFilters(in.c_str(), out.c_str(), code);
    FailNthAllocation(0);
    EXPECT_EQ(result, 999);
    EXPECT_EQ(AllocatedBytes(), held) << "every block is given back";
    return AllocationCount() - before;
  }

  TempDir dir;
  const std::basic_string<TamroviChar16> in = ExportPath(dir.File("in.bmp"));
  const std::basic_string<TamroviChar16> out = ExportPath(dir.File("out.bmp"));
};

TEST_F(FaultInjectionTest, EveryFailedAllocationOfAnExportGivesAWholeOutput) {
  for (const Input& input : Inputs()) {
    WriteFile(dir.File("in.bmp"), input.bytes);
    for (std::int32_t code = 0; code <= 8; ++code) {
      Export(code, 0);
      const Bytes filtered = ReadFile(dir.File("out.bmp"));
      ASSERT_EQ(Check24BitFile(filtered), "") << input.what << ", code " << code;
      for (std::int64_t n = 1;; ++n) {
        SCOPED_TRACE(::testing::Message() << input.what << ", code " << code << ", allocation " << n << " fails");
        const std::int64_t asked = Export(code, n);
        const Bytes written = ReadFile(dir.File("out.bmp"));
        EXPECT_TRUE(written == filtered || written == HeadersOnly())
            << Check24BitFile(written) << " (" << written.size() << " bytes)";
        if (asked < n) break;  // the call made fewer allocations: none failed
      }
    }
  }
}

// What the analysis operations leave, written out: the histogram's total, and
// the picture after smoothing through both writers.
struct AnalysisResult {
  int loaded = 0;
  std::int64_t histogramTotal = 0;
  int smoothed = 0;
  Bytes picture;
  int dibWritten = 0;
  Bytes dib;
};

TEST_F(FaultInjectionTest, EveryFailedAllocationOfTheAnalysisOperationsLeavesAWholePicture) {
  constexpr double kSigma = 1.5;
  const std::string picturePath = dir.File("picture.bmp");
  const std::string dibPath = dir.File("dib.bmp");
  auto run = [&](std::int64_t failAt, std::int64_t& asked) {
    std::remove(picturePath.c_str());
    std::remove(dibPath.c_str());
    AnalysisResult result;
    const std::int64_t held = AllocatedBytes();
    const std::int64_t before = AllocationCount();
    FailNthAllocation(failAt);
    {
      CBmpImage image;
      result.loaded = image.LoadBmp(dir.File("in.bmp").c_str());
      std::int32_t counts[tamrovi::kGrayLevels];
      tamrovi::GrayHistogram(image, counts);
      for (std::int32_t count : counts) result.histogramTotal += count;
      result.smoothed = tamrovi::GaussianSmooth(image, kSigma);
      image.SaveBmp24(picturePath.c_str());
      result.dibWritten = image.SaveDib(dibPath.c_str());
    }
    FailNthAllocation(0);
    asked = AllocationCount() - before;
    EXPECT_EQ(AllocatedBytes(), held) << "every block is given back";
    result.picture = ReadFile(picturePath);
    result.dib = ReadFile(dibPath);
    return result;
  };

  for (const Input& input : Inputs()) {
    WriteFile(dir.File("in.bmp"), input.bytes);
    std::int64_t asked = 0;
    const AnalysisResult reference = run(0, asked);
    if (!reference.loaded) continue;
    CBmpImage unsmoothed;
    ASSERT_EQ(unsmoothed.LoadBmp(dir.File("in.bmp").c_str()), 1);
    unsmoothed.SaveBmp24(picturePath.c_str());
    unsmoothed.SaveDib(dibPath.c_str());
    const Bytes unsmoothedPicture = ReadFile(picturePath);
    const Bytes unsmoothedDib = ReadFile(dibPath);

    for (std::int64_t n = 1;; ++n) {
      SCOPED_TRACE(::testing::Message() << input.what << ", allocation " << n << " fails");
      const AnalysisResult result = run(n, asked);
      if (!result.loaded) {
        EXPECT_EQ(result.histogramTotal, 0);
        EXPECT_EQ(result.smoothed, 0);
        EXPECT_EQ(result.picture, HeadersOnly());
        EXPECT_EQ(result.dibWritten, 0);
      } else {
        EXPECT_EQ(result.histogramTotal, reference.histogramTotal);
        EXPECT_EQ(result.picture, result.smoothed ? reference.picture : unsmoothedPicture);
      }
      if (result.dibWritten) {
        EXPECT_EQ(result.dib, result.smoothed ? reference.dib : unsmoothedDib);
      } else {
        EXPECT_TRUE(result.dib.empty()) << "a file SaveDib could not write is not left behind";
      }
      if (asked < n) break;
    }
  }
}

}  // namespace
