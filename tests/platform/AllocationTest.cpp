#include <gtest/gtest.h>

#include "platform/Allocation.h"

namespace tamrovi {
namespace {

TEST(AllocationTest, RefusesSizesOfZeroOrLess) {
  for (std::int64_t size : {std::int64_t{0}, std::int64_t{-1}, INT64_MIN}) {
    SCOPED_TRACE(size);
    EXPECT_EQ(AllocateBlock(size), nullptr);
  }
  EXPECT_EQ(AllocateZeroedArray(0, 8), nullptr);
  EXPECT_EQ(AllocateZeroedArray(8, -1), nullptr);
  EXPECT_EQ(AllocateZeroedArray(INT64_MAX / 2, 4), nullptr) << "product overflows";
}

TEST(AllocationTest, ZeroedArrayIsZero) {
  auto* block = static_cast<unsigned char*>(AllocateZeroedArray(100, 3));
  ASSERT_NE(block, nullptr);
  for (int i = 0; i < 300; ++i) EXPECT_EQ(block[i], 0);
  ReleaseBlock(block);
  ReleaseBlock(nullptr);  // allowed, does nothing
}

TEST(AllocationTest, NthAllocationFailsOnceThenAllSucceed) {
  FailNthAllocation(3);
  void* first = AllocateBlock(8);
  void* second = AllocateZeroedArray(2, 4);
  void* third = AllocateBlock(8);
  void* fourth = AllocateBlock(8);
  EXPECT_NE(first, nullptr);
  EXPECT_NE(second, nullptr);
  EXPECT_EQ(third, nullptr);
  EXPECT_NE(fourth, nullptr);
  for (void* block : {first, second, fourth}) ReleaseBlock(block);
}

TEST(AllocationTest, CountsEveryRequest) {
  const std::int64_t before = AllocationCount();
  ReleaseBlock(AllocateBlock(1));
  EXPECT_EQ(AllocateBlock(0), nullptr);
  EXPECT_EQ(AllocationCount(), before + 2);
}

}  // namespace
}  // namespace tamrovi
