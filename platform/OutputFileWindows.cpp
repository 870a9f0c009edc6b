// The output file on Windows: a temporary file made with CREATE_NEW beside
// the final one, moved over it with MoveFileExW (MOVEFILE_REPLACE_EXISTING |
// MOVEFILE_WRITE_THROUGH), which replaces the final file in one step.
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <windows.h>

#include "platform/File.h"
#include "platform/OutputFileShared.h"
#include "platform/TextConversion.h"

namespace tamrovi {
namespace {

constexpr char kSuffixLetters[] = "abcdefghijklmnopqrstuvwxyz0123456789";  // names ignore case here
constexpr std::size_t kMaxNameUnits = 255;

// A path as the wide file calls take it, long paths included (CSystemPath).
class CWindowsPath {
 public:
  explicit CWindowsPath(const wchar_t* path) noexcept : m_system(reinterpret_cast<const char16_t*>(path)) {}
  const wchar_t* Get() const noexcept { return m_system.Get(); }

 private:
  CSystemPath m_system;
};

HANDLE AsHandle(std::intptr_t handle) { return reinterpret_cast<HANDLE>(handle); }
int LastErrno() { return ErrnoOfSystemError(::GetLastError()); }

}  // namespace

// "DIR\.NAME.xxxxxx" beside `target`, in `out` of kPathCapacity units; the
// name is shortened, never inside a surrogate pair, when the whole would be
// longer than a file name may be (255 UTF-16 units).
bool output_os::TemporaryName(const wchar_t* target, wchar_t* out) noexcept {
  const wchar_t* name = target;
  for (const wchar_t* c = target; *c != 0; ++c) {
    if (*c == L'/' || *c == L'\\' || *c == L':') name = c + 1;
  }
  char suffix[kSuffixLength + 1];
  MakeSuffix(::GetTickCount64() ^ (std::uint64_t{::GetCurrentProcessId()} << 32), kSuffixLetters,
             sizeof kSuffixLetters - 1, suffix);
  const std::size_t folder = static_cast<std::size_t>(name - target);
  std::size_t nameUnits = std::wcslen(name);
  if (nameUnits > kMaxNameUnits - 2 - kSuffixLength) {
    nameUnits = kMaxNameUnits - 2 - kSuffixLength;
    if (name[nameUnits - 1] >= 0xD800 && name[nameUnits - 1] <= 0xDBFF) --nameUnits;
  }
  if (folder + nameUnits + 3 + kSuffixLength > static_cast<std::size_t>(COutputFile::kPathCapacity)) return false;
  std::wmemcpy(out, target, folder);
  out[folder] = L'.';
  std::wmemcpy(out + folder + 1, name, nameUnits);
  wchar_t* end = out + folder + 1 + nameUnits;
  *end++ = L'.';
  for (std::size_t i = 0; i <= kSuffixLength; ++i) end[i] = static_cast<wchar_t>(suffix[i]);
  return true;
}

namespace {

// The file an existing `path` leads to, through any symbolic link or junction
// on the way, in its full form, into `out` of kPathCapacity units: the
// replacement goes there and a link stays. Returns 0 or the errno value of
// the failure: ENOENT for a link that leads nowhere, having no file to find,
// ENAMETOOLONG when the full form does not fit.
int FinalPathOf(const wchar_t* path, wchar_t* out) noexcept {
  const HANDLE handle = ::CreateFileW(path, 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                      OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (handle == INVALID_HANDLE_VALUE) return LastErrno();
  constexpr DWORD kRoom = static_cast<DWORD>(COutputFile::kPathCapacity);
  const DWORD length = ::GetFinalPathNameByHandleW(handle, out, kRoom, FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
  const int error = length == 0 ? LastErrno() : length >= kRoom ? ENAMETOOLONG : 0;
  ::CloseHandle(handle);
  return error;
}

}  // namespace

CResult COutputFile::Open(const char* path) noexcept {
  if (path == nullptr || path[0] == 0) return Fail(ENOENT);
  const CWidePath widePath(path);
  if (widePath.Get() == nullptr) return Fail(ENAMETOOLONG);
  return Open(reinterpret_cast<const wchar_t*>(widePath.Get()));
}

CResult COutputFile::Open(const wchar_t* path) noexcept {
  Discard();
  if (path == nullptr || path[0] == 0) return Fail(ENOENT);
  if (std::wcslen(path) + 1 > static_cast<std::size_t>(kPathCapacity)) return Fail(ENAMETOOLONG);
  std::wcscpy(m_finalPath, path);
  const CWindowsPath widePath(path);
  if (widePath.Get() == nullptr) return Fail(ENAMETOOLONG);
  const DWORD attributes = ::GetFileAttributesW(widePath.Get());
  // An existing file is replaced where it is, which a symbolic link at the
  // path (or on the way) hides. When it cannot be found, the path itself is
  // replaced: the output is written all the same.
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_DEVICE)) == 0) {
    const int error = FinalPathOf(widePath.Get(), m_finalPath);
    if (error == ENOENT) return Fail(error);
    if (error != 0) std::wcscpy(m_finalPath, path);
  }
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) return Fail(EISDIR);
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DEVICE) != 0) {
    const int error = OpenInPlace(path);
    return error == 0 ? CResult{} : Fail(error);
  }
  // A file the user may not write is refused, as opening it for writing would be.
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY) != 0) return Fail(EACCES);
  return OpenTemporary(m_finalPath);
}

int COutputFile::OpenInPlace(const wchar_t* path) noexcept {
  const HANDLE handle = ::CreateFileW(CWindowsPath(path).Get(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                      OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (handle == INVALID_HANDLE_VALUE) return LastErrno();
  m_handle = reinterpret_cast<std::intptr_t>(handle);
  m_direct = true;
  return 0;
}

// Windows files take their folder's permissions: nothing to carry over.
void COutputFile::SealTemporary() noexcept {}

// A handle of our own to standard output, so that Commit and Discard close it
// and never the process's.
CResult COutputFile::OpenStandardOutput() noexcept {
  Discard();
  const HANDLE standardOutput = ::GetStdHandle(STD_OUTPUT_HANDLE);
  if (standardOutput == INVALID_HANDLE_VALUE) return Fail(LastErrno());
  if (standardOutput == nullptr) return Fail(EBADF);  // the process has no standard output
  HANDLE handle = nullptr;
  if (!::DuplicateHandle(::GetCurrentProcess(), standardOutput, ::GetCurrentProcess(), &handle, 0, FALSE,
                         DUPLICATE_SAME_ACCESS)) {
    return Fail(LastErrno());
  }
  m_handle = reinterpret_cast<std::intptr_t>(handle);
  m_direct = true;
  return {};
}

int output_os::CreateNew(const wchar_t* path, std::intptr_t& handle) noexcept {
  const HANDLE created =
      ::CreateFileW(CWindowsPath(path).Get(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
  handle = reinterpret_cast<std::intptr_t>(created);
  if (created != INVALID_HANDLE_VALUE) return 0;
  return ::GetLastError() == ERROR_FILE_EXISTS ? EEXIST : LastErrno();
}

// The system's calls count bytes in 32 bits: at most 1 GiB at a time.
std::int64_t output_os::WriteSome(std::intptr_t handle, const void* bytes, std::int64_t count) noexcept {
  DWORD put = 0;
  const DWORD asked = static_cast<DWORD>(count < (1 << 30) ? count : (1 << 30));
  if (!::WriteFile(AsHandle(handle), bytes, asked, &put, nullptr)) return -LastErrno();
  return put;
}

namespace output_os {

int CloseOutput(std::intptr_t handle) noexcept { return ::CloseHandle(AsHandle(handle)) ? 0 : LastErrno(); }

namespace {
SRWLOCK g_creation = SRWLOCK_INIT;
SRWLOCK g_list = SRWLOCK_INIT;
// Windows refuses to replace a file that another rename is replacing at that
// moment (access denied): within the process renames go one at a time.
SRWLOCK g_moving = SRWLOCK_INIT;
}  // namespace

int MoveOver(const wchar_t* temporaryPath, const wchar_t* finalPath) noexcept {
  ::AcquireSRWLockExclusive(&g_moving);
  const bool moved = ::MoveFileExW(CWindowsPath(temporaryPath).Get(), CWindowsPath(finalPath).Get(),
                                   MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
  const int error = moved ? 0 : LastErrno();
  ::ReleaseSRWLockExclusive(&g_moving);
  return error;
}

void RemoveTemporary(const wchar_t* path) noexcept { ::DeleteFileW(CWindowsPath(path).Get()); }

void ExitAtOnce(int status) noexcept { std::_Exit(status); }

void HoldCreation() noexcept { ::AcquireSRWLockShared(&g_creation); }
void ReleaseCreation() noexcept { ::ReleaseSRWLockShared(&g_creation); }
void StopCreation() noexcept { ::AcquireSRWLockExclusive(&g_creation); }
void LockList() noexcept { ::AcquireSRWLockExclusive(&g_list); }
void UnlockList() noexcept { ::ReleaseSRWLockExclusive(&g_list); }

}  // namespace output_os

}  // namespace tamrovi
