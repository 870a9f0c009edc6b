#include "platform/MemoryAdvice.h"

#if !defined(_WIN32)
#include <sys/mman.h>
#endif

namespace tamrovi {
namespace {

// From one large page on, the faults saved pay for clearing whole large pages:
// a fault costs about what clearing 64 KiB does, and far more in a virtual
// machine.
constexpr std::int64_t kLargePage = std::int64_t{1} << 21;
constexpr std::int64_t kWorthAdvising = kLargePage;

}  // namespace

void AdviseLargeBlock(void* block, std::int64_t size) noexcept {
#if defined(MADV_HUGEPAGE)
  if (block == nullptr || size < kWorthAdvising) return;
  // Only whole large pages inside the block can be backed by one.
  const auto start = reinterpret_cast<std::uintptr_t>(block);
  const std::uintptr_t first = (start + kLargePage - 1) & ~static_cast<std::uintptr_t>(kLargePage - 1);
  const std::uintptr_t end = (start + static_cast<std::uintptr_t>(size)) & ~static_cast<std::uintptr_t>(kLargePage - 1);
  if (end > first) ::madvise(reinterpret_cast<void*>(first), end - first, MADV_HUGEPAGE);
#else
  (void)block;
  (void)size;
#endif
}

}  // namespace tamrovi
