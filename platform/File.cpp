#include "platform/File.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tamrovi {

CFile::~CFile() { Close(); }

CResult CFile::Open(const char* path) noexcept {
  Close();
  if (path == nullptr) return {Reason::kCannotOpen, ENOENT};
  const int descriptor = ::open(path, O_CLOEXEC | O_RDONLY | O_NONBLOCK);
  if (descriptor < 0) return {Reason::kCannotOpen, errno};
  struct stat status {};
  if (::fstat(descriptor, &status) != 0 || !S_ISREG(status.st_mode)) {
    ::close(descriptor);
    return {Reason::kNotRegularFile, S_ISDIR(status.st_mode) ? EISDIR : EINVAL};
  }
  // Non-blocking only mattered for the open itself.
  ::fcntl(descriptor, F_SETFL, ::fcntl(descriptor, F_GETFL) & ~O_NONBLOCK);
  m_descriptor = descriptor;
  return {};
}

CResultOf<std::int64_t> CFile::GetLength() const noexcept {
  struct stat status {};
  if (!IsOpen() || ::fstat(Descriptor(), &status) != 0) return {{Reason::kReadFailed, IsOpen() ? errno : EBADF}};
  return {{}, static_cast<std::int64_t>(status.st_size)};
}

CResultOf<std::int64_t> CFile::ReadSome(void* buffer, std::int64_t count) noexcept {
  ssize_t got = 0;
  do {
    got = ::read(Descriptor(), buffer, static_cast<std::size_t>(count));
  } while (got < 0 && errno == EINTR);
  if (got < 0) return {{Reason::kReadFailed, errno}};
  return {{}, got};
}

void CFile::Close() noexcept {
  if (IsOpen()) ::close(Descriptor());
  m_descriptor = kNoFile;
}

}  // namespace tamrovi
