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
std::int64_t BlockBytes(void* block) noexcept {
#if defined(_WIN32)
  return static_cast<std::int64_t>(_msize(block));
#else
  return static_cast<std::int64_t>(malloc_usable_size(block));
#endif
}

void CountBytes(std::int64_t bytes) noexcept {
  t_allocatedBytes += bytes;
  if (t_allocatedBytes > t_peakAllocatedBytes) t_peakAllocatedBytes = t_allocatedBytes;
}

void* Counted(void* block) noexcept {
  if (block != nullptr) CountBytes(BlockBytes(block));
  return block;
}

// A block on a large page is counted as the bytes it was given: what the
// allocator reports for it also holds the slack it kept to align it, memory
// never touched. The few such blocks a thread holds are noted here.
struct AlignedBlock {
  std::uintptr_t address;  // 0: free
  std::int64_t bytes;
};
constexpr int kNotedAlignedBlocks = 16;
thread_local AlignedBlock t_alignedBlocks[kNotedAlignedBlocks];

[[maybe_unused]] void* CountedAligned(void* block, std::int64_t bytes) noexcept {
  if (block == nullptr) return nullptr;
  for (AlignedBlock& noted : t_alignedBlocks) {
    if (noted.address != 0) continue;
    noted = {reinterpret_cast<std::uintptr_t>(block), bytes};
    CountBytes(bytes);
    return block;
  }
  return Counted(block);  // no room to note it: counted with its slack
}

// The bytes a live `block` is counted as.
std::int64_t CountedBytes(void* block) noexcept {
  for (const AlignedBlock& noted : t_alignedBlocks) {
    if (noted.address == reinterpret_cast<std::uintptr_t>(block)) return noted.bytes;
  }
  return BlockBytes(block);
}

// Forgets the note of the block given back at `address`.
void ForgetAligned(std::uintptr_t address) noexcept {
  for (AlignedBlock& noted : t_alignedBlocks) {
    if (address != 0 && noted.address == address) noted.address = 0;
  }
}

// Whole large pages: the small pages of a part-filled last one would cost a
// fault each, far more than clearing the rest of a large page.
[[maybe_unused]] std::size_t AlignedBytes(std::int64_t size) noexcept {
  return (static_cast<std::size_t>(size) + kLargePage - 1) & ~(kLargePage - 1);
}

}  // namespace

void* AllocateBlock(std::int64_t size) noexcept {
  if (InjectedFailure() || size <= 0) return nullptr;
  if (static_cast<std::uint64_t>(size) > SIZE_MAX - kLargePage) return nullptr;
  if (size < static_cast<std::int64_t>(kLargePage)) return Counted(std::malloc(static_cast<std::size_t>(size)));
  // On a large page, so that the system can back the block with them when
  // asked to (platform/MemoryAdvice.h).
#if defined(_WIN32)
  // Aligned blocks there need a release of their own; large pages are not
  // asked for.
  return Counted(std::malloc(static_cast<std::size_t>(size)));
#else
  const std::size_t bytes = AlignedBytes(size);
  void* block = nullptr;
  if (posix_memalign(&block, kLargePage, bytes) != 0) return nullptr;
  AdviseLargeBlock(block, static_cast<std::int64_t>(bytes));
  return CountedAligned(block, static_cast<std::int64_t>(bytes));
#endif
}

void* AllocateZeroedArray(std::int64_t count, std::int64_t elementSize) noexcept {
  if (InjectedFailure() || count <= 0 || elementSize <= 0) return nullptr;
  if (count > INT64_MAX / elementSize) return nullptr;
  if (static_cast<std::uint64_t>(count * elementSize) > SIZE_MAX) return nullptr;
  // calloc hands out fresh pages already zeroed, which matters for the large
  // work tables the filters ask for.
  return Counted(std::calloc(static_cast<std::size_t>(count), static_cast<std::size_t>(elementSize)));
}

void* ResizeBlock(void* block, std::int64_t size) noexcept {
  if (InjectedFailure() || size <= 0) return nullptr;
  if (static_cast<std::uint64_t>(size) > SIZE_MAX) return nullptr;
  const std::int64_t before = block != nullptr ? CountedBytes(block) : 0;
  const auto address = reinterpret_cast<std::uintptr_t>(block);
  void* resized = std::realloc(block, static_cast<std::size_t>(size));
  if (resized == nullptr) return nullptr;
  ForgetAligned(address);
  t_allocatedBytes -= before;
  return Counted(resized);
}

void ReleaseBlock(void* block) noexcept {
  if (block == nullptr) return;
  t_allocatedBytes -= CountedBytes(block);
  ForgetAligned(reinterpret_cast<std::uintptr_t>(block));
  std::free(block);
}

void FailNthAllocation(std::int64_t n) noexcept { t_failCountdown = n < 0 ? 0 : n; }

std::int64_t AllocationCount() noexcept { return t_allocationCount; }

std::int64_t AllocatedBytes() noexcept { return t_allocatedBytes; }

std::int64_t PeakAllocatedBytes() noexcept { return t_peakAllocatedBytes; }

void ResetPeakAllocatedBytes() noexcept { t_peakAllocatedBytes = t_allocatedBytes; }

}  // namespace tamrovi
