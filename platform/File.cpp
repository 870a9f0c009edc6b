#include "platform/File.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tamrovi {

CFile::~CFile() { Close(); }

bool CFile::Open(const char* path) noexcept {
  Close();
  m_lastError = 0;
  if (path == nullptr) {
    m_lastError = ENOENT;
    return false;
  }
  const int descriptor = ::open(path, O_CLOEXEC | O_RDONLY | O_NONBLOCK);
  if (descriptor < 0) {
    m_lastError = errno;
    return false;
  }
  struct stat status {};
  if (::fstat(descriptor, &status) != 0 || !S_ISREG(status.st_mode)) {
    m_lastError = S_ISDIR(status.st_mode) ? EISDIR : EINVAL;
    ::close(descriptor);
    return false;
  }
  // Non-blocking only mattered for the open itself.
  ::fcntl(descriptor, F_SETFL, ::fcntl(descriptor, F_GETFL) & ~O_NONBLOCK);
  m_descriptor = descriptor;
  return true;
}

std::int64_t CFile::GetLength() const noexcept {
  struct stat status {};
  if (!IsOpen() || ::fstat(Descriptor(), &status) != 0) return -1;
  return static_cast<std::int64_t>(status.st_size);
}

std::int64_t CFile::Read(void* buffer, std::int64_t count) noexcept {
  if (!IsOpen() || count <= 0) return 0;
  auto* cursor = static_cast<unsigned char*>(buffer);
  std::int64_t total = 0;
  while (total < count) {
    const ssize_t got = ::read(Descriptor(), cursor + total, static_cast<std::size_t>(count - total));
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) {
      if (got < 0) m_lastError = errno;
      break;
    }
    total += got;
  }
  return total;
}

void CFile::Close() noexcept {
  if (IsOpen()) ::close(Descriptor());
  m_descriptor = kNoFile;
}

}  // namespace tamrovi
