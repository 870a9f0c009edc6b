#include "platform/Allocation.h"

#include <cstdlib>

namespace tamrovi {
namespace {

thread_local std::int64_t t_failCountdown = 0;
thread_local std::int64_t t_allocationCount = 0;

bool InjectedFailure() noexcept {
  ++t_allocationCount;
  if (t_failCountdown == 0) return false;
  return --t_failCountdown == 0;
}

}  // namespace

void* AllocateBlock(std::int64_t size) noexcept {
  if (InjectedFailure() || size <= 0) return nullptr;
  if (static_cast<std::uint64_t>(size) > SIZE_MAX) return nullptr;
  return std::malloc(static_cast<std::size_t>(size));
}

void* AllocateZeroedArray(std::int64_t count, std::int64_t elementSize) noexcept {
  if (InjectedFailure() || count <= 0 || elementSize <= 0) return nullptr;
  if (count > INT64_MAX / elementSize) return nullptr;
  if (static_cast<std::uint64_t>(count * elementSize) > SIZE_MAX) return nullptr;
  // calloc hands out fresh pages already zeroed, which matters for the large
  // work tables the filters ask for.
  return std::calloc(static_cast<std::size_t>(count), static_cast<std::size_t>(elementSize));
}

void ReleaseBlock(void* block) noexcept { std::free(block); }

void FailNthAllocation(std::int64_t n) noexcept { t_failCountdown = n < 0 ? 0 : n; }

std::int64_t AllocationCount() noexcept { return t_allocationCount; }

}  // namespace tamrovi
