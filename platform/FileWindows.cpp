// The file object on Windows: files are opened by their UTF-16 paths through
// the wide-character API, so every path the system can name opens as named.
// Errors are reported as errno values, the same numbers as on POSIX systems.
#include "platform/File.h"

#include <cerrno>
#include <cstring>
#include <cwchar>
#include <windows.h>

#include "platform/Allocation.h"
#include "platform/TextConversion.h"

namespace tamrovi {

int ErrnoOfSystemError(unsigned long error) noexcept {
  switch (error) {
    case ERROR_FILE_NOT_FOUND: case ERROR_PATH_NOT_FOUND: case ERROR_INVALID_NAME: return ENOENT;
    case ERROR_ACCESS_DENIED: case ERROR_SHARING_VIOLATION: case ERROR_LOCK_VIOLATION: return EACCES;
    case ERROR_DISK_FULL: case ERROR_HANDLE_DISK_FULL: return ENOSPC;
    case ERROR_NOT_ENOUGH_MEMORY: case ERROR_OUTOFMEMORY: return ENOMEM;
    case ERROR_FILENAME_EXCED_RANGE: return ENAMETOOLONG;
    default: return EIO;
  }
}

namespace {

int ErrnoOf(DWORD error) { return ErrnoOfSystemError(error); }

HANDLE AsHandle(std::intptr_t handle) { return reinterpret_cast<HANDLE>(handle); }

// Largest single read or write: the system's calls count bytes in 32 bits.
constexpr std::int64_t kLargestTransfer = 1 << 30;

}  // namespace

CSystemPath::CSystemPath(const char16_t* path) noexcept {
  const auto* wide = reinterpret_cast<const wchar_t*>(path);
  if (wide == nullptr || WideLength(path) < MAX_PATH || std::wcsncmp(wide, L"\\\\?\\", 4) == 0) {
    m_pPath = wide;
    return;
  }
  // Written 6 units in, where "\\server" of a network path becomes
  // "\\?\UNC\server" and "C:" of any other "\\?\C:" in front of it.
  constexpr DWORD kRoom = 6;
  const DWORD needed = ::GetFullPathNameW(wide, 0, nullptr, nullptr);
  if (needed == 0) return;
  m_pLongForm = static_cast<wchar_t*>(AllocateBlock((std::int64_t{needed} + kRoom) * sizeof(wchar_t)));
  if (m_pLongForm == nullptr) return;
  wchar_t* full = m_pLongForm + kRoom;
  const DWORD length = ::GetFullPathNameW(wide, needed, full, nullptr);
  if (length == 0 || length >= needed) return;
  if (full[0] == L'\\' && full[1] == L'\\') {
    std::wmemcpy(m_pLongForm, L"\\\\?\\UNC", 7);  // the second backslash of "\\server" stays
    m_pPath = m_pLongForm;
  } else {
    std::wmemcpy(full - 4, L"\\\\?\\", 4);
    m_pPath = full - 4;
  }
}

CSystemPath::~CSystemPath() { ReleaseBlock(m_pLongForm); }

CFile::~CFile() { Close(); }

CResult CFile::Open(const char* path) noexcept {
  // A path that is not well-formed UTF-8, or longer than the system opens,
  // has no UTF-16 form: it is refused as a name that cannot be opened.
  const CWidePath widePath(path);
  if (widePath.Get() == nullptr) {
    Close();
    return {Reason::kCannotOpen,
            path == nullptr ? ENOENT : std::strlen(path) + 1 > kPathCapacity ? ENAMETOOLONG : EILSEQ};
  }
  return Open(reinterpret_cast<const wchar_t*>(widePath.Get()));
}

CResult CFile::Open(const wchar_t* path) noexcept {
  Close();
  if (path == nullptr) return {Reason::kCannotOpen, ENOENT};
  const CSystemPath systemPath(reinterpret_cast<const char16_t*>(path));
  if (systemPath.Get() == nullptr) return {Reason::kCannotOpen, ENAMETOOLONG};
  const HANDLE handle =
      ::CreateFileW(systemPath.Get(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (handle == INVALID_HANDLE_VALUE) return {Reason::kCannotOpen, ErrnoOf(::GetLastError())};
  // Regular files alone, so a pipe or device can never block or feed endless
  // data; a folder opens only to be refused here.
  BY_HANDLE_FILE_INFORMATION information{};
  const bool isFolder = ::GetFileInformationByHandle(handle, &information) &&
                        (information.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
  if (isFolder || ::GetFileType(handle) != FILE_TYPE_DISK) {
    ::CloseHandle(handle);
    return {Reason::kNotRegularFile, isFolder ? EISDIR : EINVAL};
  }
  m_descriptor = reinterpret_cast<std::intptr_t>(handle);
  return {};
}

CResultOf<std::int64_t> CFile::GetLength() const noexcept {
  LARGE_INTEGER size{};
  if (!IsOpen() || !::GetFileSizeEx(AsHandle(m_descriptor), &size)) {
    return {{Reason::kReadFailed, IsOpen() ? ErrnoOf(::GetLastError()) : EBADF}};
  }
  return {{}, size.QuadPart};
}

CResultOf<std::int64_t> CFile::ReadSome(void* buffer, std::int64_t count) noexcept {
  DWORD got = 0;
  const DWORD asked = static_cast<DWORD>(count < kLargestTransfer ? count : kLargestTransfer);
  if (!::ReadFile(AsHandle(m_descriptor), buffer, asked, &got, nullptr)) {
    return {{Reason::kReadFailed, ErrnoOf(::GetLastError())}};
  }
  return {{}, got};
}

void CFile::Close() noexcept {
  if (IsOpen()) ::CloseHandle(AsHandle(m_descriptor));
  m_descriptor = kNoFile;
}

}  // namespace tamrovi
