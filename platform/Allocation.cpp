#include "platform/Allocation.h"

#include <cstdlib>
#include <malloc.h>

#include "platform/MemoryAdvice.h"

namespace tamrovi {
namespace {

// The large pages of x86-64 and of most 64-bit ARM systems.
constexpr std::size_t kLargePage = std::size_t{1} << 21;

thread_local std::int64_t t_failCountdown = 0;
thread_local std::int64_t t_allocationCount = 0;
thread_local std::int64_t t_allocatedBytes = 0;
thread_local std::int64_t t_peakAllocatedBytes = 0;

bool InjectedFailure() noexcept {
  ++t_allocationCount;
  if (t_failCountdown == 0) return false;
  return --t_failCountdown == 0;
}

// The allocator knows each block's size, so releasing needs no size from the
// caller and the block needs no header of ours in front of it (a header
// would hide small underruns from the address sanitizer).
std::int64_t BlockBytes(void* block) noexcept { return static_cast<std::int64_t>(malloc_usable_size(block)); }

void* Counted(void* block) noexcept {
  if (block != nullptr) {
    t_allocatedBytes += BlockBytes(block);
    if (t_allocatedBytes > t_peakAllocatedBytes) t_peakAllocatedBytes = t_allocatedBytes;
  }
  return block;
}

}  // namespace

void* AllocateBlock(std::int64_t size) noexcept {
  if (InjectedFailure() || size <= 0) return nullptr;
  if (static_cast<std::uint64_t>(size) > SIZE_MAX - kLargePage) return nullptr;
  if (size < static_cast<std::int64_t>(kLargePage)) return Counted(std::malloc(static_cast<std::size_t>(size)));
  // Whole large pages, so that the system can back all of the block with
  // them when asked to (platform/MemoryAdvice.h).
  const auto rounded = (static_cast<std::size_t>(size) + kLargePage - 1) & ~(kLargePage - 1);
  void* block = std::aligned_alloc(kLargePage, rounded);
  AdviseLargeBlock(block, static_cast<std::int64_t>(rounded));
  return Counted(block);
}

void* AllocateZeroedArray(std::int64_t count, std::int64_t elementSize) noexcept {
  if (InjectedFailure() || count <= 0 || elementSize <= 0) return nullptr;
  if (count > INT64_MAX / elementSize) return nullptr;
  if (static_cast<std::uint64_t>(count * elementSize) > SIZE_MAX) return nullptr;
  // calloc hands out fresh pages already zeroed, which matters for the large
  // work tables the filters ask for.
  return Counted(std::calloc(static_cast<std::size_t>(count), static_cast<std::size_t>(elementSize)));
}

void ReleaseBlock(void* block) noexcept {
  if (block == nullptr) return;
  t_allocatedBytes -= BlockBytes(block);
  std::free(block);
}

void FailNthAllocation(std::int64_t n) noexcept { t_failCountdown = n < 0 ? 0 : n; }

std::int64_t AllocationCount() noexcept { return t_allocationCount; }

std::int64_t AllocatedBytes() noexcept { return t_allocatedBytes; }

std::int64_t PeakAllocatedBytes() noexcept { return t_peakAllocatedBytes; }

void ResetPeakAllocatedBytes() noexcept { t_peakAllocatedBytes = t_allocatedBytes; }

}  // namespace tamrovi
