// The file object: a file opened for reading by its path, read through the
// operating system, closed when the object goes away. POSIX systems have
// File.cpp, Windows FileWindows.cpp.
#pragma once

#include <cstdint>
#include <cstdio>

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
  // Windows gets it as UTF-16, converted on the stack. Returns false on
  // failure; LastError() then holds the error as an errno value.
  bool Open(const char* path) noexcept;
#if defined(_WIN32)
  // The same for a path in the system's own form, opened as it is.
  bool Open(const wchar_t* path) noexcept;
#endif
  bool IsOpen() const noexcept { return m_descriptor != kNoFile; }

  // Length in bytes, or -1 when it cannot be had.
  std::int64_t GetLength() const noexcept;

  // Reads up to `count` bytes; returns how many arrived (0 at the end or on error).
  std::int64_t Read(void* buffer, std::int64_t count) noexcept;

  int LastError() const noexcept { return m_lastError; }

 private:
  // A file descriptor on POSIX systems, a handle on Windows.
  static constexpr std::intptr_t kNoFile = -1;
  std::intptr_t m_descriptor = kNoFile;
  int Descriptor() const noexcept { return static_cast<int>(m_descriptor); }
  // A file only read from has nothing to lose on closing: an error there is
  // not reported.
  void Close() noexcept;
  int m_lastError = 0;
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
