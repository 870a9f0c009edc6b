// The output file on POSIX systems: a temporary file made with O_EXCL beside
// the final one, renamed over it.
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <pthread.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/OutputFileShared.h"

namespace tamrovi {
namespace {

constexpr int kMaxLinkHops = 40;  // as many as the system itself follows
constexpr std::size_t kMaxNameBytes = 255;
constexpr char kSuffixLetters[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";

// Copies `length` bytes of `text` after `used` bytes of `out`; false when
// the result and its terminator would not fit.
bool AppendText(char* out, std::size_t& used, const char* text, std::size_t length) noexcept {
  if (used + length + 1 > static_cast<std::size_t>(COutputFile::kPathCapacity)) return false;
  std::memcpy(out + used, text, length);
  used += length;
  out[used] = 0;
  return true;
}

// Follows symbolic links at the end of `path` into `target`: the file the
// writing must replace. Returns 0 or the system's error number.
int ResolveFinalLinks(const char* path, char* target) noexcept {
  std::size_t used = 0;
  if (!AppendText(target, used, path, std::strlen(path))) return ENAMETOOLONG;
  for (int hop = 0; hop < kMaxLinkHops; ++hop) {
    struct stat status {};
    if (::lstat(target, &status) != 0) return errno == ENOENT ? 0 : errno;  // a new file, or a dangling link's
    if (!S_ISLNK(status.st_mode)) return 0;
    char link[COutputFile::kPathCapacity];
    const ssize_t length = ::readlink(target, link, sizeof link - 1);
    if (length < 0) return errno;
    // A relative link is relative to the folder that holds it.
    const char* slash = std::strrchr(target, '/');
    used = link[0] == '/' || slash == nullptr ? 0 : static_cast<std::size_t>(slash - target + 1);
    if (!AppendText(target, used, link, static_cast<std::size_t>(length))) return ENAMETOOLONG;
  }
  return ELOOP;
}

// A suffix seeded from the clock and the process.
void RandomSuffix(char* out) noexcept {
  timespec now {};
  ::clock_gettime(CLOCK_REALTIME, &now);
  const std::uint64_t seed = static_cast<std::uint64_t>(now.tv_nsec) ^ (static_cast<std::uint64_t>(now.tv_sec) << 30) ^
                             (static_cast<std::uint64_t>(::getpid()) << 40);
  MakeSuffix(seed, kSuffixLetters, sizeof kSuffixLetters - 1, out);
}

// "DIR/.NAME.xxxxxx" beside `target`; the name is shortened when the whole
// would be longer than a file name may be.
bool TemporaryName(const char* target, char* out) noexcept {
  const char* slash = std::strrchr(target, '/');
  const char* name = slash == nullptr ? target : slash + 1;
  std::size_t nameLength = std::strlen(name);
  const std::size_t room = kMaxNameBytes - 2 - kSuffixLength;
  if (nameLength > room) nameLength = room;
  char suffix[kSuffixLength + 1];
  RandomSuffix(suffix);
  std::size_t used = 0;
  return AppendText(out, used, target, static_cast<std::size_t>(name - target)) && AppendText(out, used, ".", 1) &&
         AppendText(out, used, name, nameLength) && AppendText(out, used, ".", 1) &&
         AppendText(out, used, suffix, kSuffixLength);
}

// The replacement keeps what can be kept of the file it replaces.
void TakeOverAttributes(int descriptor, const struct stat& replaced) noexcept {
  ::fchmod(descriptor, replaced.st_mode & 07777);
  if (replaced.st_uid != ::geteuid() || replaced.st_gid != ::getegid()) {
    [[maybe_unused]] const int ignored = ::fchown(descriptor, replaced.st_uid, replaced.st_gid);  // root only
  }
}

}  // namespace

bool COutputFile::Open(const char* path) noexcept {
  Discard();
  m_lastError = 0;
  if (path == nullptr || path[0] == 0) return Fail(ENOENT);
  struct stat status {};
  const bool exists = ::stat(path, &status) == 0;
  if (exists && S_ISDIR(status.st_mode)) return Fail(EISDIR);
  if (exists && !S_ISREG(status.st_mode)) return OpenInPlace(path, false);
  const int error = ResolveFinalLinks(path, m_finalPath);
  if (error != 0) return Fail(error);
  // A link whose text names no file, or another one (/proc/self/fd/N for a
  // deleted or memory file), leaves nothing to rename over.
  struct stat named {};
  if (exists && (::lstat(m_finalPath, &named) != 0 || named.st_ino != status.st_ino || named.st_dev != status.st_dev)) {
    return OpenInPlace(path, true);
  }
  return OpenTemporary(m_finalPath);
}

// A file that standard output is redirected to is the caller's to place:
// the shell opened it, maybe to append (>>) or after writing to it itself, and
// it may write more after the tool. Its own open description is written, from
// where it stands; replacing the file would drop what it held before and send
// what follows to a file no longer there. Pipes, terminals and devices are
// opened anew, so that a descriptor left non-blocking by another program does
// not fail the write.
bool COutputFile::OpenStandardOutput() noexcept {
  Discard();
  m_lastError = 0;
  struct stat status {};
  if (::fstat(STDOUT_FILENO, &status) != 0) return Fail(errno);
  if (!S_ISREG(status.st_mode)) return OpenInPlace("/proc/self/fd/1", false);  // unlike /dev/stdout, no link
  const int descriptor = ::fcntl(STDOUT_FILENO, F_DUPFD_CLOEXEC, 0);
  if (descriptor < 0) return Fail(errno);
  m_handle = descriptor;
  m_direct = true;
  return true;
}

bool COutputFile::OpenInPlace(const char* path, bool emptying) noexcept {
  // Non-blocking: a FIFO nobody reads refuses at once instead of waiting.
  const int descriptor = ::open(path, O_WRONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC | (emptying ? O_TRUNC : 0));
  if (descriptor < 0) return Fail(errno);
  ::fcntl(descriptor, F_SETFL, ::fcntl(descriptor, F_GETFL) & ~O_NONBLOCK);
  m_handle = descriptor;
  m_direct = true;
  return true;
}

bool COutputFile::OpenTemporary(const char* finalPath) noexcept {
  struct stat replaced {};
  const bool replacing = ::stat(finalPath, &replaced) == 0;
  if (replacing && ::access(finalPath, W_OK) != 0) return Fail(errno);
  const CCreationHold hold;
  int descriptor = -1;
  int error = ENAMETOOLONG;
  while (TemporaryName(finalPath, m_temporaryPath)) {
    descriptor = ::open(m_temporaryPath, O_WRONLY | O_CREAT | O_EXCL | O_NOCTTY | O_CLOEXEC, 0666);
    error = errno;
    if (descriptor >= 0 || error != EEXIST) break;
  }
  if (descriptor < 0) {
    m_temporaryPath[0] = 0;  // not ours: nothing to remove
    m_lastError = error;
    return false;
  }
  if (replacing) TakeOverAttributes(descriptor, replaced);
  m_handle = descriptor;
  COutputFileRegistry::Add(*this);
  return true;
}

bool COutputFile::Write(const void* bytes, std::int64_t count) noexcept {
  if (m_handle < 0 || count < 0) {
    m_lastError = m_handle < 0 ? EBADF : EINVAL;
    return false;
  }
  const auto* cursor = static_cast<const unsigned char*>(bytes);
  const std::int64_t writable = WritableOf(count);
  std::int64_t total = 0;
  while (total < writable) {
    const ssize_t put = ::write(static_cast<int>(m_handle), cursor + total, static_cast<std::size_t>(writable - total));
    if (put < 0 && errno == EINTR) continue;
    if (put <= 0) {
      m_lastError = put < 0 ? errno : EIO;
      return false;
    }
    total += put;
  }
  if (writable < count) m_lastError = ENOSPC;
  return writable == count;
}

namespace output_os {

int CloseOutput(std::intptr_t handle) noexcept { return ::close(static_cast<int>(handle)) == 0 ? 0 : errno; }

int MoveOver(const char* temporaryPath, const char* finalPath) noexcept {
  return ::rename(temporaryPath, finalPath) == 0 ? 0 : errno;
}

void RemoveTemporary(const char* path) noexcept { ::unlink(path); }

void ExitAtOnce(int status) noexcept { ::_exit(status); }

namespace {
// The ending waits for the writers that hold creation, not for every writer
// still to come: a lock that preferred its shared holders could keep it out.
#if defined(PTHREAD_RWLOCK_WRITER_NONRECURSIVE_INITIALIZER_NP)
pthread_rwlock_t g_creation = PTHREAD_RWLOCK_WRITER_NONRECURSIVE_INITIALIZER_NP;
#else
pthread_rwlock_t g_creation = PTHREAD_RWLOCK_INITIALIZER;
#endif
pthread_mutex_t g_list = PTHREAD_MUTEX_INITIALIZER;
}  // namespace

void HoldCreation() noexcept { ::pthread_rwlock_rdlock(&g_creation); }
void ReleaseCreation() noexcept { ::pthread_rwlock_unlock(&g_creation); }
void StopCreation() noexcept { ::pthread_rwlock_wrlock(&g_creation); }
void LockList() noexcept { ::pthread_mutex_lock(&g_list); }
void UnlockList() noexcept { ::pthread_mutex_unlock(&g_list); }

}  // namespace output_os

}  // namespace tamrovi
