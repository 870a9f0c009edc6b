#include "platform/FileMapping.h"

#include <atomic>
#include <csignal>
#include <fcntl.h>
#include <mutex>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/Allocation.h"

namespace tamrovi {
namespace {

// The ranges the guard answers for. A fixed table, so that the handler reads
// it without locks or allocation; a file mapped while every slot is taken is
// simply read instead. Threads of a batch each hold one mapping at a time.
constexpr int kGuardedRanges = 64;

struct GuardedRange {
  std::atomic<std::uintptr_t> start{0};
  std::atomic<std::uintptr_t> end{0};  // 0 while the slot is being filled or emptied
};

GuardedRange g_guarded[kGuardedRanges];
struct sigaction g_previousBusAction;
std::uintptr_t g_pageSize = 4096;

bool ReplaceWithZeros(std::uintptr_t address) noexcept {
  for (const GuardedRange& range : g_guarded) {
    const std::uintptr_t end = range.end.load(std::memory_order_acquire);
    if (end == 0 || address >= end || address < range.start.load(std::memory_order_acquire)) continue;
    void* page = reinterpret_cast<void*>(address & ~(g_pageSize - 1));
    return ::mmap(page, g_pageSize, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS | MAP_FIXED, -1, 0) == page;
  }
  return false;
}

void OnBusError(int signal, siginfo_t* info, void* context) {
  if (ReplaceWithZeros(reinterpret_cast<std::uintptr_t>(info->si_addr))) return;  // the access is retried
  if ((g_previousBusAction.sa_flags & SA_SIGINFO) != 0) {
    g_previousBusAction.sa_sigaction(signal, info, context);
  } else if (g_previousBusAction.sa_handler != SIG_DFL && g_previousBusAction.sa_handler != SIG_IGN) {
    g_previousBusAction.sa_handler(signal);
  } else {
    // The faulting access is retried and now ends the process as it would
    // have without us.
    ::signal(SIGBUS, SIG_DFL);
  }
}

bool InstallGuard() noexcept {
  static std::once_flag once;
  static bool installed = false;
  std::call_once(once, [] {
    g_pageSize = static_cast<std::uintptr_t>(::sysconf(_SC_PAGESIZE));
    struct sigaction action {};
    action.sa_sigaction = OnBusError;
    action.sa_flags = SA_SIGINFO | SA_RESTART;
    sigemptyset(&action.sa_mask);
    installed = ::sigaction(SIGBUS, &action, &g_previousBusAction) == 0;
  });
  return installed;
}

bool Guard(const std::uint8_t* bytes, std::int64_t length) noexcept {
  const auto start = reinterpret_cast<std::uintptr_t>(bytes);
  for (GuardedRange& range : g_guarded) {
    std::uintptr_t free = 0;
    if (!range.start.compare_exchange_strong(free, start, std::memory_order_acq_rel)) continue;
    range.end.store(start + static_cast<std::uintptr_t>(length), std::memory_order_release);
    return true;
  }
  return false;
}

void Unguard(const std::uint8_t* bytes) noexcept {
  const auto start = reinterpret_cast<std::uintptr_t>(bytes);
  for (GuardedRange& range : g_guarded) {
    if (range.start.load(std::memory_order_acquire) != start) continue;
    range.end.store(0, std::memory_order_release);
    range.start.store(0, std::memory_order_release);
    return;
  }
}

// The length of the regular file open as `descriptor`, or -1 for anything else.
std::int64_t RegularFileLength(int descriptor) noexcept {
  struct stat status {};
  if (::fstat(descriptor, &status) != 0 || !S_ISREG(status.st_mode)) return -1;
  return static_cast<std::int64_t>(status.st_size);
}

}  // namespace

CFileMapping& CFileMapping::operator=(CFileMapping&& other) noexcept {
  if (this == &other) return *this;
  Release();
  m_bytes = other.m_bytes;
  m_length = other.m_length;
  other.m_bytes = nullptr;
  other.m_length = 0;
  return *this;
}

bool CFileMapping::Map(const char* path, std::int64_t maxLength) noexcept {
  Release();
  if (path == nullptr || !InstallGuard()) return false;
  // Non-blocking: opening a FIFO must not wait for a writer.
  const int descriptor = ::open(path, O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (descriptor < 0) return false;
  const std::int64_t length = RegularFileLength(descriptor);
  void* bytes = MAP_FAILED;
  if (length > 0 && length <= maxLength && AccountMappedBytes(length)) {
    bytes = ::mmap(nullptr, static_cast<std::size_t>(length), PROT_READ | PROT_WRITE, MAP_PRIVATE, descriptor, 0);
    if (bytes == MAP_FAILED) ReleaseMappedBytes(length);
  }
  ::close(descriptor);  // the mapping keeps the file
  if (bytes == MAP_FAILED) return false;
  if (!Guard(static_cast<std::uint8_t*>(bytes), length)) {
    ::munmap(bytes, static_cast<std::size_t>(length));
    ReleaseMappedBytes(length);
    return false;
  }
#if defined(MADV_POPULATE_READ)
  // The file's pages are in the system's cache: entering them all in one
  // call costs far less than a fault for every few of them.
  ::madvise(bytes, static_cast<std::size_t>(length), MADV_POPULATE_READ);
#endif
  m_bytes = static_cast<std::uint8_t*>(bytes);
  m_length = length;
  return true;
}

void CFileMapping::Release() noexcept {
  if (m_bytes == nullptr) return;
  Unguard(m_bytes);
  ::munmap(m_bytes, static_cast<std::size_t>(m_length));
  ReleaseMappedBytes(m_length);
  m_bytes = nullptr;
  m_length = 0;
}

}  // namespace tamrovi
