// The output file on POSIX systems: a temporary file made with O_EXCL beside
// the final one, renamed over it.
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <initializer_list>
#include <fcntl.h>
#include <pthread.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/OutputFileShared.h"

namespace tamrovi {
namespace {

constexpr int kMaxLinkHops = 40;  // as many as the system itself follows
constexpr int kMaxLooks = 8;      // writers racing to rename over one name settle in fewer
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

// What a path's final name is, found by following the symbolic links at its
// end one lstat at a time: the one look at the name that is then opened.
struct CFinalName {
  int error = 0;          // the system's error number, or 0
  int descriptor = -1;    // the process's descriptor the name stands for, or -1
  bool exists = false;    // `status` holds the lstat of the final name
  bool throughLink = false;
  struct stat status {};
};

// The digits of a descriptor number after `prefix` in `path`, or null. The
// system itself refuses leading zeros in such names.
const char* DescriptorDigits(const char* path, const char* prefix) noexcept {
  const std::size_t length = std::strlen(prefix);
  if (std::strncmp(path, prefix, length) != 0) return nullptr;
  const char* digits = path + length;
  if (digits[0] < '0' || digits[0] > '9' || (digits[0] == '0' && digits[1] != 0)) return nullptr;
  for (const char* c = digits; *c != 0; ++c) {
    if (*c < '0' || *c > '9' || c - digits > 9) return nullptr;
  }
  return digits;
}

// The descriptor of this process that `path` names (/dev/stdout, /dev/fd/N,
// /proc/self/fd/N and their kin), or -1. Such a name stands for what the
// descriptor has open, often no file that a name holds; written through the
// descriptor, it is never replaced.
int DescriptorNamed(const char* path) noexcept {
  if (std::strcmp(path, "/dev/stdin") == 0) return STDIN_FILENO;
  if (std::strcmp(path, "/dev/stdout") == 0) return STDOUT_FILENO;
  if (std::strcmp(path, "/dev/stderr") == 0) return STDERR_FILENO;
  char ownFolder[40];
  std::snprintf(ownFolder, sizeof ownFolder, "/proc/%ld/fd/", static_cast<long>(::getpid()));
  for (const char* prefix : {"/dev/fd/", "/proc/self/fd/", "/proc/thread-self/fd/", static_cast<const char*>(ownFolder)}) {
    if (const char* digits = DescriptorDigits(path, prefix)) return std::atoi(digits);
  }
  return -1;
}

CFinalName ResolveFinalLinks(const char* path, char* target) noexcept {
  CFinalName found;
  std::size_t used = 0;
  if (!AppendText(target, used, path, std::strlen(path))) {
    found.error = ENAMETOOLONG;
    return found;
  }
  for (int hop = 0; hop < kMaxLinkHops; ++hop, found.throughLink = true) {
    found.descriptor = DescriptorNamed(target);
    if (found.descriptor >= 0) return found;
    found.exists = ::lstat(target, &found.status) == 0;
    if (!found.exists) {
      found.error = errno == ENOENT ? 0 : errno;  // a new file, or a dangling link's
      return found;
    }
    if (!S_ISLNK(found.status.st_mode)) return found;
    char link[COutputFile::kPathCapacity];
    const ssize_t length = ::readlink(target, link, sizeof link - 1);
    if (length < 0) {
      found.error = errno;
      return found;
    }
    // A relative link is relative to the folder that holds it.
    const char* slash = std::strrchr(target, '/');
    used = link[0] == '/' || slash == nullptr ? 0 : static_cast<std::size_t>(slash - target + 1);
    if (!AppendText(target, used, link, static_cast<std::size_t>(length))) {
      found.error = ENAMETOOLONG;
      return found;
    }
  }
  found.error = ELOOP;
  return found;
}

// The permission bits the process's umask gives a new file, read from
// /proc/self/status: asking umask() would change it for every thread for a
// moment. Owner-only when it cannot be read.
mode_t NewFileMode() noexcept {
  const int descriptor = ::open("/proc/self/status", O_RDONLY | O_CLOEXEC);
  if (descriptor < 0) return 0600;
  char text[1024];
  const ssize_t length = ::read(descriptor, text, sizeof text - 1);
  ::close(descriptor);
  text[length > 0 ? length : 0] = 0;
  const char* line = std::strstr(text, "\nUmask:");
  if (line == nullptr) return 0600;
  return static_cast<mode_t>(0666 & ~std::strtoul(line + 7, nullptr, 8));
}

// A suffix seeded from the clock and the process.
void RandomSuffix(char* out) noexcept {
  timespec now {};
  ::clock_gettime(CLOCK_REALTIME, &now);
  const std::uint64_t seed = static_cast<std::uint64_t>(now.tv_nsec) ^ (static_cast<std::uint64_t>(now.tv_sec) << 30) ^
                             (static_cast<std::uint64_t>(::getpid()) << 40);
  MakeSuffix(seed, kSuffixLetters, sizeof kSuffixLetters - 1, out);
}

}  // namespace

// "DIR/.NAME.xxxxxx" beside `target`; the name is shortened when the whole
// would be longer than a file name may be.
bool output_os::TemporaryName(const char* target, char* out) noexcept {
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

CResult COutputFile::Open(const char* path) noexcept {
  Discard();
  if (path == nullptr || path[0] == 0) return Fail(ENOENT);
  // Each pass decides from one look at the final name. Another writer may
  // rename its file over that name before it is opened: a regular file found
  // where a device was is looked at again, never written in place.
  for (int look = 0; look < kMaxLooks; ++look) {
    const CFinalName found = ResolveFinalLinks(path, m_finalPath);
    if (found.error != 0) return Fail(found.error);
    if (found.descriptor >= 0) return OpenDescriptor(found.descriptor);
    BeforeOpening(m_finalPath);
    if (found.exists && S_ISDIR(found.status.st_mode)) return Fail(EISDIR);
    if (found.exists && S_ISREG(found.status.st_mode)) {
      if (::access(m_finalPath, W_OK) != 0) return Fail(errno);
      m_finalMode = found.status.st_mode & 07777;
      m_finalOwner = found.status.st_uid != ::geteuid() ? found.status.st_uid : -1;
      m_finalGroup = found.status.st_gid != ::getegid() ? found.status.st_gid : -1;
      return OpenTemporary(m_finalPath);
    }
    // A link whose text names no file (another process's /proc/PID/fd/N)
    // still reaches what it stands for.
    const bool unnamed = !found.exists && found.throughLink && ::access(path, F_OK) == 0;
    if (!found.exists && !unnamed) {
      m_finalMode = NewFileMode();
      m_finalOwner = m_finalGroup = -1;
      return OpenTemporary(m_finalPath);
    }
    const int error = OpenInPlace(unnamed ? path : m_finalPath);
    if (error != EAGAIN) return error == 0 ? CResult{} : Fail(error);
  }
  return Fail(EAGAIN);
}

// A descriptor's regular file is the caller's to place: the shell opened it
// for standard output, maybe to append (>>) or after writing to it itself,
// and it may write more after the tool. Its own open description is written,
// from where it stands; replacing the file would drop what it held before and
// send what follows to a file no longer there. Pipes, terminals and devices
// are opened anew, so that a descriptor left non-blocking by another program
// does not fail the write.
CResult COutputFile::OpenStandardOutput() noexcept {
  Discard();
  return OpenDescriptor(STDOUT_FILENO);
}

CResult COutputFile::OpenDescriptor(int descriptor) noexcept {
  struct stat status {};
  if (::fstat(descriptor, &status) != 0) return Fail(errno);
  if (!S_ISREG(status.st_mode)) {
    char name[40];
    std::snprintf(name, sizeof name, "/proc/self/fd/%d", descriptor);
    const int error = OpenInPlace(name);
    return error == 0 ? CResult{} : Fail(error);
  }
  if ((::fcntl(descriptor, F_GETFL) & O_ACCMODE) == O_RDONLY) return Fail(EBADF);
  const int copy = ::fcntl(descriptor, F_DUPFD_CLOEXEC, 0);
  if (copy < 0) return Fail(errno);
  m_handle = copy;
  m_direct = true;
  return {};
}

// Returns 0, the system's error number, or EAGAIN when what was opened is a
// regular file that a name holds: that is only ever replaced by renaming.
int COutputFile::OpenInPlace(const char* path) noexcept {
  // Non-blocking: a FIFO nobody reads refuses at once instead of waiting.
  const int descriptor = ::open(path, O_WRONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
  if (descriptor < 0) return errno == EAGAIN ? EIO : errno;
  struct stat status {};
  if (::fstat(descriptor, &status) != 0 || (S_ISREG(status.st_mode) && status.st_nlink > 0)) {
    ::close(descriptor);
    return EAGAIN;
  }
  // A regular file no name holds (a deleted one another process has open) is
  // emptied: nothing else can be lost with it.
  if (S_ISREG(status.st_mode) && ::ftruncate(descriptor, 0) != 0) {
    const int error = errno;
    ::close(descriptor);
    return error;
  }
  ::fcntl(descriptor, F_SETFL, ::fcntl(descriptor, F_GETFL) & ~O_NONBLOCK);
  m_handle = descriptor;
  m_direct = true;
  return 0;
}

// The temporary file is made readable by its owner only, whatever it will
// replace: a watcher that opened it while it was readable could read the
// picture later. It gets the final file's mode just before the rename.
int output_os::CreateNew(const char* path, std::intptr_t& handle) noexcept {
  handle = ::open(path, O_WRONLY | O_CREAT | O_EXCL | O_NOCTTY | O_CLOEXEC, 0600);
  return handle >= 0 ? 0 : errno;
}

// The replacement keeps what can be kept of the file it replaces: its owner
// (root only can give that) before its mode, as a change of owner clears the
// set-user bits.
void COutputFile::SealTemporary() noexcept {
  const int descriptor = static_cast<int>(m_handle);
  if (m_finalOwner >= 0 || m_finalGroup >= 0) {
    [[maybe_unused]] const int ignored =
        ::fchown(descriptor, static_cast<uid_t>(m_finalOwner), static_cast<gid_t>(m_finalGroup));
  }
  ::fchmod(descriptor, static_cast<mode_t>(m_finalMode));
}

std::int64_t output_os::WriteSome(std::intptr_t handle, const void* bytes, std::int64_t count) noexcept {
  ssize_t put = 0;
  do {
    put = ::write(static_cast<int>(handle), bytes, static_cast<std::size_t>(count));
  } while (put < 0 && errno == EINTR);
  return put < 0 ? -errno : put;
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
