// The file object: a file opened for reading by its path, read through the
// operating system, closed when the object goes away. POSIX systems have
// File.cpp, Windows FileWindows.cpp.
#pragma once

#include <cstdint>
#include <cstdio>

#include "platform/Result.h"

namespace tamrovi {

class CFile {
 public:
  CFile() = default;
  CFile(const CFile&) = delete;
  CFile& operator=(const CFile&) = delete;
  ~CFile();

  // Opens `path` (UTF-8; null fails) for reading. Anything but a regular
  // file is refused, so a FIFO or device can never block or feed endless
  // data. On POSIX the path's bytes are the system's own name of the file;
  // Windows gets it as UTF-16, converted on the stack. A failure is
  // kCannotOpen, or kNotRegularFile, with the system's error number.
  CResult Open(const char* path) noexcept;
#if defined(_WIN32)
  // The same for a path in the system's own form, opened as it is.
  CResult Open(const wchar_t* path) noexcept;
#endif
  bool IsOpen() const noexcept { return m_descriptor != kNoFile; }

  // Length in bytes; kReadFailed when it cannot be had.
  CResultOf<std::int64_t> GetLength() const noexcept;

  // Reads until `count` bytes arrived or the file ends: how many arrived, and
  // kReadFailed when a read failed.
  CResultOf<std::int64_t> Read(void* buffer, std::int64_t count) noexcept {
    CResultOf<std::int64_t> total;
    auto* cursor = static_cast<unsigned char*>(buffer);
    while (IsOpen() && total.value < count) {
      const CResultOf<std::int64_t> got = ReadSome(cursor + total.value, count - total.value);
      total.result = got.result;
      if (!got.result.Ok() || got.value == 0) break;
      total.value += got.value;
    }
    return total;
  }

 private:
  // One read of the system's: at most `count` bytes, 0 at the end.
  CResultOf<std::int64_t> ReadSome(void* buffer, std::int64_t count) noexcept;

  // A file descriptor on POSIX systems, a handle on Windows.
  static constexpr std::intptr_t kNoFile = -1;
  std::intptr_t m_descriptor = kNoFile;
  int Descriptor() const noexcept { return static_cast<int>(m_descriptor); }
  // A file only read from has nothing to lose on closing: an error there is
  // not reported.
  void Close() noexcept;
};

}  // namespace tamrovi

#if defined(_WIN32)
namespace tamrovi {

// A Windows error code (GetLastError) as the errno value of the same failure.
int ErrnoOfSystemError(unsigned long error) noexcept;

// A UTF-16 path as the wide file calls take it: the path itself when shorter
// than MAX_PATH, else its full form with the long-path prefix (\\?\ or
// \\?\UNC\), with which the system opens paths of up to 32767 units whatever
// its long-path setting. That form is made in a block of its own, so short
// paths, the everyday ones, need no memory. Null for a null path, or when the
// long form cannot be made.
class CSystemPath {
 public:
  explicit CSystemPath(const char16_t* path) noexcept;
  CSystemPath(const CSystemPath&) = delete;
  CSystemPath& operator=(const CSystemPath&) = delete;
  ~CSystemPath();

  const wchar_t* Get() const noexcept { return m_pPath; }

 private:
  const wchar_t* m_pPath = nullptr;
  wchar_t* m_pLongForm = nullptr;
};

}  // namespace tamrovi
#endif
