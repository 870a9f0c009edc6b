// Every allocation a load makes, made to fail in turn.
#include <gtest/gtest.h>

#include "image/BmpImage.h"
#include "platform/Allocation.h"
#include "support/ImageFixture.h"

namespace tamrovi {
namespace {

using bmptest::Bytes;

struct Input {
  const char* what;
  Bytes bytes;
};

std::vector<Input> Inputs() {
  bmptest::BmpFile shortGray = bmptest::Make8(6, 5, bmptest::RandomBytes(30, 4));
  shortGray.pixels.resize(10);  // the byte plane must be extended in memory
  return {
      {"24-bit", bmptest::Make24(3, 4, bmptest::RandomBytes(36, 1)).Build()},
      {"8-bit with palette", bmptest::Make8(5, 3, bmptest::RandomBytes(15, 2)).Build()},
      {"8-bit top-down", bmptest::Make8(5, 3, bmptest::RandomBytes(15, 3), true).Build()},
      {"8-bit short", shortGray.Build()},
  };
}

void ExpectEmpty(const CBmpImage& image) {
  EXPECT_TRUE(image.IsEmpty());
  EXPECT_EQ(image.m_pDib, nullptr);
  EXPECT_FALSE(image.m_palette.HasPalette());
  for (int i = 0; i < kMaxRows; ++i) {
    ASSERT_EQ(image.m_rgbRows[i], nullptr);
    ASSERT_EQ(image.m_grayRows[i], nullptr);
  }
}

TEST(LoadFaultTest, EachFailedAllocationLeavesAWholePictureOrNone) {
  bmptest::TempDir dir;
  for (const Input& input : Inputs()) {
    bmptest::WriteFile(dir.File("in.bmp"), input.bytes);
    CBmpImage reference;
    const std::int64_t before = AllocationCount();
    ASSERT_EQ(reference.LoadBmp(dir.File("in.bmp").c_str()), 1);
    const std::int64_t allocations = AllocationCount() - before;
    const Bytes picture = bmptest::PictureBgr(reference);

    for (std::int64_t n = 1; n <= allocations; ++n) {
      SCOPED_TRACE(::testing::Message() << input.what << ", allocation " << n << " of " << allocations);
      CBmpImage image;
      FailNthAllocation(n);
      const int loaded = image.LoadBmp(dir.File("in.bmp").c_str());
      FailNthAllocation(0);
      if (loaded) {
        // Only the palette object may be missing: the picture is whole.
        EXPECT_EQ(bmptest::PictureBgr(image), picture);
      } else {
        EXPECT_TRUE(image.m_loadError == Reason::kOutOfMemory ||
                    image.m_loadError == Reason::kCannotOpen);
        ExpectEmpty(image);
      }
    }
  }
}

TEST(LoadFaultTest, AFailedReloadNeverLeavesHalfOfEither) {
  bmptest::TempDir dir;
  const Bytes first = bmptest::Make24(4, 4, bmptest::RandomBytes(48, 7)).Build();
  const Bytes second = bmptest::Make8(3, 6, bmptest::RandomBytes(18, 8)).Build();
  bmptest::WriteFile(dir.File("second.bmp"), second);
  for (std::int64_t n = 1; n <= 12; ++n) {
    SCOPED_TRACE(n);
    CBmpImage image;
    ASSERT_EQ(bmptest::LoadBytes(image, dir, first, "first.bmp"), 1);
    const Bytes before = bmptest::PictureBgr(image);
    FailNthAllocation(n);
    const int loaded = image.LoadBmp(dir.File("second.bmp").c_str());
    FailNthAllocation(0);
    if (loaded) {
      EXPECT_EQ(image.m_height, 6);
    } else if (image.IsEmpty()) {
      ExpectEmpty(image);
    } else {
      EXPECT_EQ(bmptest::PictureBgr(image), before) << "unchanged";
    }
  }
}

}  // namespace
}  // namespace tamrovi
