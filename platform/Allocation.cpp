#include "platform/Allocation.h"

#include <cstdlib>
#if !defined(_WIN32)
#include <sys/mman.h>
#endif

namespace tamrovi {
namespace {

// The large pages of x86-64 and of most 64-bit ARM systems.
constexpr std::size_t kLargePage = std::size_t{1} << 21;

thread_local std::int64_t t_failCountdown = 0;

bool InjectedFailure() noexcept {
  if (t_failCountdown == 0) return false;
  return --t_failCountdown == 0;
}

// Asks the system to back `block` (`size` bytes, about to be filled from one
// end to the other) with large pages where it has them, so that filling a
// picture of several megabytes takes a few page faults instead of one for
// every 4 KiB. A hint: a system that ignores it gives the same results. From
// one large page on, the faults saved pay for clearing whole large pages: a
// fault costs about what clearing 64 KiB does, and far more in a virtual
// machine.
[[maybe_unused]] void AdviseLargeBlock(void* block, std::size_t size) noexcept {
#if defined(MADV_HUGEPAGE)
  // Only whole large pages inside the block can be backed by one.
  const auto start = reinterpret_cast<std::uintptr_t>(block);
  const std::uintptr_t first = (start + kLargePage - 1) & ~static_cast<std::uintptr_t>(kLargePage - 1);
  const std::uintptr_t end = (start + size) & ~static_cast<std::uintptr_t>(kLargePage - 1);
  if (end > first) ::madvise(reinterpret_cast<void*>(first), end - first, MADV_HUGEPAGE);
#else
  (void)block;
  (void)size;
#endif
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
  if (size < static_cast<std::int64_t>(kLargePage)) return std::malloc(static_cast<std::size_t>(size));
  // On a large page, so that the system can back the block with them when
  // asked to.
#if defined(_WIN32)
  // Aligned blocks there need a release of their own; large pages are not
  // asked for.
  return std::malloc(static_cast<std::size_t>(size));
#else
  const std::size_t bytes = AlignedBytes(size);
  void* block = nullptr;
  if (posix_memalign(&block, kLargePage, bytes) != 0) return nullptr;
  AdviseLargeBlock(block, bytes);
  return block;
#endif
}

void* ResizeBlock(void* block, std::int64_t size) noexcept {
  if (InjectedFailure() || size <= 0) return nullptr;
  if (static_cast<std::uint64_t>(size) > SIZE_MAX) return nullptr;
  return std::realloc(block, static_cast<std::size_t>(size));
}

void ReleaseBlock(void* block) noexcept { std::free(block); }

std::int64_t FailNthAllocation(std::int64_t n) noexcept {
  const std::int64_t waiting = t_failCountdown;
  t_failCountdown = n < 0 ? 0 : n;
  return waiting;
}

}  // namespace tamrovi
