#include <gtest/gtest.h>

#include "platform/Allocation.h"

namespace tamrovi {
namespace {

TEST(AllocationTest, RefusesSizesOfZeroOrLess) {
  for (std::int64_t size : {std::int64_t{0}, std::int64_t{-1}, INT64_MIN}) {
    SCOPED_TRACE(size);
    EXPECT_EQ(AllocateBlock(size), nullptr);
  }
  ReleaseBlock(nullptr);  // allowed, does nothing
}

TEST(AllocationTest, NthAllocationFailsOnceThenAllSucceed) {
  FailNthAllocation(3);
  void* first = AllocateBlock(8);
  void* second = AllocateBlock(8);
  void* third = AllocateBlock(8);
  void* fourth = AllocateBlock(8);
  EXPECT_NE(first, nullptr);
  EXPECT_NE(second, nullptr);
  EXPECT_EQ(third, nullptr);
  EXPECT_NE(fourth, nullptr);
  for (void* block : {first, second, fourth}) ReleaseBlock(block);
}

TEST(AllocationTest, CountsEveryRequestTowardsTheFailure) {
  FailNthAllocation(3);
  ReleaseBlock(AllocateBlock(1));
  EXPECT_EQ(AllocateBlock(0), nullptr);
  EXPECT_EQ(FailNthAllocation(0), 1) << "one request still to come before the failure";
}

}  // namespace
}  // namespace tamrovi
