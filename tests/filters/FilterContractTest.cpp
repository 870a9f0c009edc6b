// What every filter promises: an empty picture is left alone, a work table
// that cannot be had leaves the picture as it was, and a run asks for at most
// its one work table, whatever the picture's size.
#include <gtest/gtest.h>

#include "filters/Filters.h"
#include "filters/GrayPicture.h"
#include "platform/Allocation.h"
#include "support/ImageFixture.h"

namespace {

using bmptest::Bytes;

struct NamedFilter {
  const char* name;
  tamrovi::FilterOperation run;
  std::int64_t workTables;  // allocations one run asks for
};

const NamedFilter kFilters[] = {
    {"OutlineFilter", tamrovi::OutlineFilter, 1},     {"RobertsFilter", tamrovi::RobertsFilter, 1},
    {"LaplaceFilter", tamrovi::LaplaceFilter, 1},     {"WhitenDarkFilter", tamrovi::WhitenDarkFilter, 0},
    {"FlipVertical", tamrovi::FlipVertical, 0},       {"CentreWindowFilter", tamrovi::CentreWindowFilter, 0},
};

class FilterContractTest : public ::testing::Test {
 protected:
  void TearDown() override { tamrovi::FailNthAllocation(0); }

  // A colour picture in colour rows, or a gray one in the byte plane, at a
  // width that is not a multiple of 4.
  void LoadPicture(tamrovi::CBmpImage& image, bmptest::Layout layout, bool topDown) {
    constexpr std::int32_t kWidth = 7, kHeight = 5;
    const bmptest::BmpFile file =
        layout == bmptest::Layout::kColourRows
            ? bmptest::Make24(kWidth, kHeight, bmptest::RandomBytes(3 * kWidth * kHeight, 31), topDown)
            : bmptest::Make8(kWidth, kHeight, bmptest::RandomBytes(kWidth * kHeight, 32), topDown);
    ASSERT_EQ(bmptest::LoadBytes(image, dir, file.Build()), 1);
  }

  bmptest::TempDir dir;
};

TEST_F(FilterContractTest, EmptyPictureIsLeftAlone) {
  for (const NamedFilter& filter : kFilters) {
    SCOPED_TRACE(filter.name);
    tamrovi::CBmpImage image;
    const std::int64_t allocationsBefore = tamrovi::AllocationCount();
    EXPECT_EQ(filter.run(image), 1);
    EXPECT_EQ(tamrovi::AllocationCount(), allocationsBefore);
    EXPECT_TRUE(image.IsEmpty());
    EXPECT_EQ(image.m_pDib, nullptr);
    EXPECT_EQ(image.m_rgbRows[0], nullptr);
  }
}

TEST_F(FilterContractTest, MissingWorkTableLeavesThePictureAsItWas) {
  for (const NamedFilter& filter : kFilters) {
    if (filter.workTables == 0) continue;
    for (bmptest::Layout layout : bmptest::kBothLayouts) {
      for (bool topDown : {false, true}) {
        SCOPED_TRACE(std::string(filter.name) + " " + bmptest::LayoutName(layout) + (topDown ? " top-down" : ""));
        tamrovi::CBmpImage image;
        LoadPicture(image, layout, topDown);
        const Bytes before = bmptest::PictureBgr(image);
        tamrovi::FailNthAllocation(1);
        EXPECT_EQ(filter.run(image), 1);
        tamrovi::FailNthAllocation(0);
        EXPECT_EQ(bmptest::PictureBgr(image), before);
      }
    }
  }
}

// Nothing is allocated per row or per pixel.
TEST_F(FilterContractTest, RunAsksForItsWorkTableOnly) {
  for (const NamedFilter& filter : kFilters) {
    for (const auto& [width, height] : {std::pair{1, 1}, std::pair{7, 5}, std::pair{64, 40}}) {
      SCOPED_TRACE(testing::Message() << filter.name << " " << width << "x" << height);
      for (bmptest::Layout layout : bmptest::kBothLayouts) {
        tamrovi::CBmpImage image;
        bmptest::LoadGray(image, dir, layout, width, height,
                          bmptest::RandomBytes(static_cast<std::size_t>(width * height), 2));
        const std::int64_t allocationsBefore = tamrovi::AllocationCount();
        filter.run(image);
        EXPECT_EQ(tamrovi::AllocationCount() - allocationsBefore, filter.workTables);
      }
    }
  }
}

}  // namespace
