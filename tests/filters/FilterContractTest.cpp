// What every filter promises whatever the picture: an empty picture is left
// alone, a run asks for its pixels' own memory (a loaded file's rows are its
// mapped pages until then) and one block of work rows at most, memory that
// cannot be had leaves the picture as it was, and a flip moves rows only.
#include <gtest/gtest.h>

#include "filters/Filters.h"
#include "filters/GrayPicture.h"
#include "platform/Allocation.h"
#include "support/ImageFixture.h"

namespace {

using bmptest::Bytes;
using namespace tamrovi;

struct NamedFilter {
  const char* name;
  FilterOperation run;
  // Blocks asked for on colour rows and on the byte plane: the pixels' own
  // memory, which a flip of colour rows does without, and work rows.
  // Roberts and Laplace read the byte plane from its row copies, which they
  // never write, and need no work rows there.
  std::int64_t colourBlocks, bytePlaneBlocks;
};

const NamedFilter kFilters[] = {
    {"outline", OutlineFilter, 2, 2},        {"roberts", RobertsFilter, 2, 1}, {"laplace", LaplaceFilter, 2, 1},
    {"whiten-dark", WhitenDarkFilter, 1, 1}, {"flip", FlipVertical, 0, 1},     {"window", CentreWindowFilter, 1, 1},
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
    EXPECT_EQ(filter.run(image), 1);
    EXPECT_EQ(AllocationCount(), allocations);
    EXPECT_TRUE(image.IsEmpty());
  }
}

// Nothing is allocated per row or per pixel, and without either block a
// filter changes nothing.
TEST_F(FilterContractTest, PixelsAndWorkRowsAreTheOnlyAllocationsAndTheirFailureChangesNothing) {
  for (const NamedFilter& filter : kFilters) {
    for (const bmptest::Storage storage : bmptest::kStorages) {
      SCOPED_TRACE(std::string(filter.name) + ", " + storage.Name());
      const std::int64_t blocks = storage.colourRows ? filter.colourBlocks : filter.bytePlaneBlocks;
      CBmpImage whole;
      Load(whole, storage);
      std::int64_t allocations = AllocationCount();
      EXPECT_EQ(filter.run(whole), 1);
      EXPECT_EQ(AllocationCount() - allocations, blocks);
      for (std::int64_t n = 1; n <= blocks; ++n) {
        CBmpImage image;
        Load(image, storage);
        const Bytes before = bmptest::PictureBgr(image);
        allocations = AllocationCount();
        FailNthAllocation(n);
        EXPECT_EQ(filter.run(image), 1);
        FailNthAllocation(0);
        EXPECT_EQ(AllocationCount() - allocations, n) << "nothing is asked for after a refusal";
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
    ASSERT_TRUE(image.OwnPixels()) << "as the first change to the byte plane does";
    const Bytes before = bmptest::PictureBgr(image);
    std::uint8_t* const buffers[] = {image.m_rgbRows[0], image.m_rgbRows[4], image.m_grayRows[0], image.m_pBits};
    FlipVertical(image);
    EXPECT_NE(bmptest::PictureBgr(image), before);
    FlipVertical(image);
    EXPECT_EQ(bmptest::PictureBgr(image), before);
    const std::uint8_t* const after[] = {image.m_rgbRows[0], image.m_rgbRows[4], image.m_grayRows[0], image.m_pBits};
    EXPECT_TRUE(std::equal(std::begin(buffers), std::end(buffers), after));
  }
}

}  // namespace
