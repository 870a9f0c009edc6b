// Running out of memory anywhere in the pipeline, one table of inputs for
// load, filters, analysis and both writers: every allocation of a whole
// export call, then of a load followed by the analysis operations, is made to
// fail in turn, until a run asks for no more. Nothing may crash, the export
// still returns 999, a load is whole or leaves the object empty, and whatever
// is written is whole: the filtered picture, or the headers of an empty
// picture that mark a failed call (a filter that cannot have its work rows
// leaves the picture alone, which is no result). Leaks are the sanitizer
// build's to find.
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
  BmpFile shortIndexed = MakeIndexed(9, 4, 4, std::vector<std::uint32_t>(36, 3), RandomBytes(64, 5));
  shortIndexed.pixels.resize(7);
  return {
      {"8-bit top-down", Make8(5, 3, RandomBytes(15, 3), true).Build()},
      {"4-bit short", shortIndexed.Build()},
      {"OS/2 1.x 8-bit", AsOs2Core(MakeIndexed(3, 3, 8, std::vector<std::uint32_t>(9, 200), RandomBytes(1024, 6))).Build()},
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

void ExpectEmpty(const CBmpImage& image) {
  EXPECT_TRUE(image.IsEmpty());
  EXPECT_EQ(image.m_pDib, nullptr);
  EXPECT_FALSE(image.m_palette.HasPalette());
  for (int i = 0; i < tamrovi::kMaxRows; ++i) {
    ASSERT_EQ(image.m_rgbRows[i], nullptr);
    ASSERT_EQ(image.m_grayRows[i], nullptr);
  }
}

class FaultInjectionTest : public ::testing::Test {
 protected:
  // One export call with the `failAt`-th allocation failing (0: none), on a
  // fresh output. False when the call asked for fewer allocations.
  bool Export(std::int32_t code, std::int64_t failAt) {
    std::remove(dir.File("out.bmp").c_str());
    FailNthAllocation(failAt);
    const std::int32_t result = BMPFilters(in.c_str(), out.c_str(), code);
    const bool failed = FailNthAllocation(0) == 0;
    EXPECT_EQ(result, 999);
    return failed;
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
        const bool failed = Export(code, n);
        const Bytes written = ReadFile(dir.File("out.bmp"));
        EXPECT_TRUE(written == filtered || written == HeadersOnly())
            << Check24BitFile(written) << " (" << written.size() << " bytes)";
        if (!failed) break;  // the call made fewer allocations
      }
    }
  }
}

// What a load and the analysis operations leave, written out: the picture as
// loaded, the histogram's total, and the picture after smoothing through both
// writers.
struct AnalysisResult {
  int loaded = 0;
  Bytes loadedPicture;
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
  auto run = [&](std::int64_t failAt, bool& failed) {
    std::remove(picturePath.c_str());
    std::remove(dibPath.c_str());
    AnalysisResult result;
    FailNthAllocation(failAt);
    {
      CBmpImage image;
      result.loaded = image.LoadBmp(dir.File("in.bmp").c_str());
      if (result.loaded) {
        result.loadedPicture = PictureBgr(image);  // only the palette object may be missing
      } else if (failAt > 0) {
        EXPECT_EQ(image.m_loadError, tamrovi::Reason::kOutOfMemory);
        ExpectEmpty(image);
      }
      std::int32_t counts[tamrovi::kGrayLevels];
      tamrovi::GrayHistogram(image, counts);
      for (std::int32_t count : counts) result.histogramTotal += count;
      result.smoothed = tamrovi::GaussianSmooth(image, kSigma);
      image.SaveBmp24(picturePath.c_str());
      result.dibWritten = image.SaveDib(dibPath.c_str());
    }
    failed = FailNthAllocation(0) == 0;
    result.picture = ReadFile(picturePath);
    result.dib = ReadFile(dibPath);
    return result;
  };

  for (const Input& input : Inputs()) {
    WriteFile(dir.File("in.bmp"), input.bytes);
    bool failed = false;
    const AnalysisResult reference = run(0, failed);
    if (!reference.loaded) continue;
    CBmpImage unsmoothed;
    ASSERT_EQ(unsmoothed.LoadBmp(dir.File("in.bmp").c_str()), 1);
    unsmoothed.SaveBmp24(picturePath.c_str());
    unsmoothed.SaveDib(dibPath.c_str());
    const Bytes unsmoothedPicture = ReadFile(picturePath);
    const Bytes unsmoothedDib = ReadFile(dibPath);

    for (std::int64_t n = 1;; ++n) {
      SCOPED_TRACE(::testing::Message() << input.what << ", allocation " << n << " fails");
      const AnalysisResult result = run(n, failed);
      if (!result.loaded) {
        EXPECT_EQ(result.histogramTotal, 0);
        EXPECT_EQ(result.smoothed, 0);
        EXPECT_EQ(result.picture, HeadersOnly());
        EXPECT_EQ(result.dibWritten, 0);
      } else {
        EXPECT_EQ(result.loadedPicture, reference.loadedPicture);
        EXPECT_EQ(result.histogramTotal, reference.histogramTotal);
        EXPECT_EQ(result.picture, result.smoothed ? reference.picture : unsmoothedPicture);
      }
      if (result.dibWritten) {
        EXPECT_EQ(result.dib, result.smoothed ? reference.dib : unsmoothedDib);
      } else {
        EXPECT_TRUE(result.dib.empty()) << "a file SaveDib could not write is not left behind";
      }
      if (!failed) break;
    }
  }
}

TEST_F(FaultInjectionTest, AFailedReloadNeverLeavesHalfOfEither) {
  const Bytes first = Make24(4, 4, RandomBytes(48, 7)).Build();
  WriteFile(dir.File("in.bmp"), Make8(3, 6, RandomBytes(18, 8)).Build());
  for (std::int64_t n = 1; n <= 12; ++n) {
    SCOPED_TRACE(n);
    CBmpImage image;
    ASSERT_EQ(LoadBytes(image, dir, first, "first.bmp"), 1);
    const Bytes before = PictureBgr(image);
    FailNthAllocation(n);
    const int loaded = image.LoadBmp(dir.File("in.bmp").c_str());
    FailNthAllocation(0);
    if (loaded) {
      EXPECT_EQ(image.m_height, 6);
    } else if (image.IsEmpty()) {
      ExpectEmpty(image);
    } else {
      EXPECT_EQ(PictureBgr(image), before) << "unchanged";
    }
  }
}

}  // namespace
