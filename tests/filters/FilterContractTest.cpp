// What every filter promises whatever the picture: an empty picture is left
// alone, a run asks for one block of work rows at most, work rows that cannot
// be had leave the picture as it was, and a flip moves row contents only.
#include <gtest/gtest.h>

#include "filters/Filters.h"
#include "filters/GrayPicture.h"
#include "image/PictureRows.h"
#include "platform/Allocation.h"
#include "support/ImageFixture.h"

namespace {

using bmptest::Bytes;
using namespace tamrovi;

struct NamedFilter {
  const char* name;
  FilterOperation run;
  // Blocks of work rows asked for, in either layout.
  std::int64_t workRows;
};

const NamedFilter kFilters[] = {
    {"outline", OutlineFilter, 1},        {"roberts", RobertsFilter, 1}, {"laplace", LaplaceFilter, 1},
    {"whiten-dark", WhitenDarkFilter, 0}, {"flip", FlipVertical, 0},     {"window", CentreWindowFilter, 0},
};

class FilterContractTest : public ::testing::Test {
 protected:
  void TearDown() override { FailNthAllocation(0); }

  // Random colours, or random bytes under a gray palette, 7 x 5.
  void Load(CBmpImage& image, bmptest::Storage storage) {
    const bmptest::BmpFile file = storage.colourRows
                                      ? bmptest::Make24(7, 5, bmptest::RandomBytes(3 * 35, 31), storage.topDown)
                                      : bmptest::Make8(7, 5, bmptest::RandomBytes(35, 32), storage.topDown);
    ASSERT_EQ(bmptest::LoadBytes(image, dir, file.Build()), 1);
  }

  bmptest::TempDir dir;
};

TEST_F(FilterContractTest, EmptyPictureIsLeftAlone) {
  for (const NamedFilter& filter : kFilters) {
    SCOPED_TRACE(filter.name);
    CBmpImage image;
    const std::int64_t allocations = AllocationCount();
    filter.run(image);
    EXPECT_EQ(AllocationCount(), allocations);
    EXPECT_TRUE(image.IsEmpty());
  }
}

// Nothing is allocated per row or per pixel, and without its work rows a
// filter changes nothing.
TEST_F(FilterContractTest, WorkRowsAreTheOnlyAllocationAndTheirFailureChangesNothing) {
  for (const NamedFilter& filter : kFilters) {
    for (const bmptest::Storage storage : bmptest::kStorages) {
      SCOPED_TRACE(std::string(filter.name) + ", " + storage.Name());
      CBmpImage image;
      Load(image, storage);
      const Bytes before = bmptest::PictureBgr(image);
      const std::int64_t allocations = AllocationCount();
      FailNthAllocation(1);
      filter.run(image);
      FailNthAllocation(0);
      EXPECT_EQ(AllocationCount() - allocations, filter.workRows);
      if (filter.workRows > 0) {
        EXPECT_EQ(bmptest::PictureBgr(image), before);
      }
    }
  }
}

TEST_F(FilterContractTest, FlipTwiceGivesThePictureBackInTheSameBuffers) {
  for (const bmptest::Storage storage : bmptest::kStorages) {
    SCOPED_TRACE(storage.Name());
    CBmpImage image;
    Load(image, storage);
    const Bytes before = bmptest::PictureBgr(image);
    const CPictureRows picture(image);
    std::uint8_t* const buffers[] = {picture.Row(0), picture.Row(4), image.m_pBits};
    FlipVertical(image);
    EXPECT_NE(bmptest::PictureBgr(image), before);
    FlipVertical(image);
    EXPECT_EQ(bmptest::PictureBgr(image), before);
    const std::uint8_t* const after[] = {picture.Row(0), picture.Row(4), image.m_pBits};
    EXPECT_TRUE(std::equal(std::begin(buffers), std::end(buffers), after));
  }
}

}  // namespace
