// Running out of memory at any allocation of a decoded variant's load.
#include <gtest/gtest.h>

#include "DecodedPicture.h"
#include "platform/Allocation.h"

namespace {

using namespace bmptest;
using tamrovi::Reason;
using tamrovi::CBmpImage;

TEST(VariantFaultTest, EveryFailedAllocationLeavesTheObjectEmptyOrWhollyLoaded) {
  BmpFile shortIndexed = MakeIndexed(9, 4, 4, std::vector<std::uint32_t>(36, 3), RandomBytes(64, 5));
  shortIndexed.pixels.resize(7);  // rows decoded from a zero-completed copy
  const BmpFile files[] = {
      shortIndexed,
      AsOs2Core(MakeIndexed(3, 3, 8, std::vector<std::uint32_t>(9, 200), RandomBytes(1024, 6))),
      MakeBitFields(3, 3, 16, std::vector<std::uint32_t>(9, 0xBEEF), {0xF800, 0x07E0, 0x001F}),
      MakeRle(3, 3, 8, RleStream(8).Run(3, 1).EndOfLine().Run(2, 2), RandomBytes(1024, 7)),
  };
  for (const BmpFile& file : files) {
    SCOPED_TRACE(file.bitCount);
    CBmpImage reference;
    const std::int64_t before = tamrovi::AllocationCount();
    ASSERT_EQ(LoadBytes(reference, file.Build()), 1);
    const std::int64_t allocations = tamrovi::AllocationCount() - before;
    for (std::int64_t n = 1; n <= allocations; ++n) {
      SCOPED_TRACE(n);
      CBmpImage image;
      tamrovi::FailNthAllocation(n);
      const int loaded = LoadBytes(image, file.Build());
      tamrovi::FailNthAllocation(0);
      if (loaded) {  // only the palette may be missing
        EXPECT_EQ(ColourPixels(image), ColourPixels(reference));
      } else {
        // The path's own conversion may be what fails: the file then cannot be opened.
        EXPECT_TRUE(image.m_loadError == Reason::kOutOfMemory || image.m_loadError == Reason::kCannotOpen);
        EXPECT_TRUE(image.IsEmpty());
        EXPECT_EQ(image.m_rgbRows[0], nullptr);
      }
    }
  }
}

}  // namespace
