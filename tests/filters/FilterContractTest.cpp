// What every filter promises whatever the picture: an empty picture is left
// alone, work rows that cannot be had leave the picture as it was and say so,
// and a flip moves row contents only.
#include <gtest/gtest.h>

#include "entry/FilterTable.h"
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
  // 1 where the filter needs work rows, in either layout.
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
    filter.run(image);
    EXPECT_TRUE(image.IsEmpty());
  }
}

// Without its work rows a filter changes nothing, and says so, so that the
// unfiltered picture is never written as filtered.
TEST_F(FilterContractTest, WorkRowsThatCannotBeHadChangeNothingAndAreReported) {
  for (const NamedFilter& filter : kFilters) {
    for (const bmptest::Storage storage : bmptest::kStorages) {
      SCOPED_TRACE(std::string(filter.name) + ", " + storage.Name());
      CBmpImage image;
      Load(image, storage);
      const Bytes before = bmptest::PictureBgr(image);
      FailNthAllocation(1);
      const CResult result = FindFilterByName(filter.name)->run(image);
      FailNthAllocation(0);
      EXPECT_EQ(result.reason == Reason::kOutOfMemory, filter.workRows == 1);
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
