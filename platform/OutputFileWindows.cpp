// The output file on Windows: a temporary file made with CREATE_NEW beside
// the final one, moved over it with MoveFileExW (MOVEFILE_REPLACE_EXISTING |
// MOVEFILE_WRITE_THROUGH), which replaces the final file in one step.
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <windows.h>

#include "platform/File.h"
#include "platform/OutputFileShared.h"
#include "platform/TextConversion.h"

namespace tamrovi {
namespace {

constexpr char kSuffixLetters[] = "abcdefghijklmnopqrstuvwxyz0123456789";  // names ignore case here

const wchar_t* AsWide(const CWidePath& path) { return reinterpret_cast<const wchar_t*>(path.Get()); }
HANDLE AsHandle(std::intptr_t handle) { return reinterpret_cast<HANDLE>(handle); }
int LastErrno() { return ErrnoOfSystemError(::GetLastError()); }

// "DIR\.NAME.xxxxxx" beside `target`, in `out` of kPathCapacity bytes.
bool TemporaryName(const char* target, char* out) noexcept {
  const char* name = target;
  for (const char* c = target; *c != 0; ++c) {
    if (*c == '/' || *c == '\\' || *c == ':') name = c + 1;
  }
  char suffix[kSuffixLength + 1];
  MakeSuffix(::GetTickCount64() ^ (std::uint64_t{::GetCurrentProcessId()} << 32), kSuffixLetters,
             sizeof kSuffixLetters - 1, suffix);
  const std::size_t folder = static_cast<std::size_t>(name - target);
  const std::size_t length = std::strlen(target) + 2 + kSuffixLength;
  if (length + 1 > static_cast<std::size_t>(COutputFile::kPathCapacity)) return false;
  std::memcpy(out, target, folder);
  out[folder] = '.';
  std::strcpy(out + folder + 1, name);
  std::strcat(out, ".");
  std::strcat(out, suffix);
  return true;
}

}  // namespace

const char* const COutputFile::kStandardOutput = "<stdout>";

bool COutputFile::Open(const char* path) noexcept {
  Discard();
  m_lastError = 0;
  if (path == nullptr || path[0] == 0) return Fail(ENOENT);
  if (std::strcmp(path, kStandardOutput) == 0) return OpenStandardOutput();
  const CWidePath widePath(path);
  if (widePath.Get() == nullptr || std::strlen(path) + 1 > static_cast<std::size_t>(kPathCapacity)) {
    return Fail(ENAMETOOLONG);
  }
  const DWORD attributes = ::GetFileAttributesW(AsWide(widePath));
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) return Fail(EISDIR);
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DEVICE) != 0) {
    const int error = OpenInPlace(path);
    return error == 0 || Fail(error);
  }
  // A file the user may not write is refused, as opening it for writing would be.
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY) != 0) return Fail(EACCES);
  std::strcpy(m_finalPath, path);
  return OpenTemporary(m_finalPath);
}

int COutputFile::OpenInPlace(const char* path) noexcept {
  const HANDLE handle = ::CreateFileW(AsWide(CWidePath(path)), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
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
bool COutputFile::OpenStandardOutput() noexcept {
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
  return true;
}

bool COutputFile::OpenTemporary(const char* finalPath) noexcept {
  const CCreationHold hold;
  HANDLE handle = INVALID_HANDLE_VALUE;
  int error = ENAMETOOLONG;
  while (TemporaryName(finalPath, m_temporaryPath)) {
    handle = ::CreateFileW(AsWide(CWidePath(m_temporaryPath)), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    const DWORD systemError = ::GetLastError();
    error = ErrnoOfSystemError(systemError);
    if (handle != INVALID_HANDLE_VALUE || systemError != ERROR_FILE_EXISTS) break;
  }
  if (handle == INVALID_HANDLE_VALUE) {
    m_temporaryPath[0] = 0;  // not ours: nothing to remove
    m_lastError = error;
    return false;
  }
  m_handle = reinterpret_cast<std::intptr_t>(handle);
  COutputFileRegistry::Add(*this);
  return true;
}

bool COutputFile::Write(const void* bytes, std::int64_t count) noexcept {
  if (m_handle == -1 || count < 0) {
    m_lastError = m_handle == -1 ? EBADF : EINVAL;
    return false;
  }
  const auto* cursor = static_cast<const unsigned char*>(bytes);
  const std::int64_t writable = WritableOf(count);
  std::int64_t total = 0;
  while (total < writable) {
    const std::int64_t asked = writable - total < (1 << 30) ? writable - total : (1 << 30);
    DWORD put = 0;
    if (!::WriteFile(AsHandle(m_handle), cursor + total, static_cast<DWORD>(asked), &put, nullptr) || put == 0) {
      m_lastError = LastErrno();
      return false;
    }
    total += put;
  }
  if (writable < count) m_lastError = ENOSPC;
  return writable == count;
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

int MoveOver(const char* temporaryPath, const char* finalPath) noexcept {
  ::AcquireSRWLockExclusive(&g_moving);
  const bool moved = ::MoveFileExW(AsWide(CWidePath(temporaryPath)), AsWide(CWidePath(finalPath)),
                                   MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
  const int error = moved ? 0 : LastErrno();
  ::ReleaseSRWLockExclusive(&g_moving);
  return error;
}

void RemoveTemporary(const char* path) noexcept { ::DeleteFileW(AsWide(CWidePath(path))); }

void ExitAtOnce(int status) noexcept { std::_Exit(status); }

void HoldCreation() noexcept { ::AcquireSRWLockShared(&g_creation); }
void ReleaseCreation() noexcept { ::ReleaseSRWLockShared(&g_creation); }
void StopCreation() noexcept { ::AcquireSRWLockExclusive(&g_creation); }
void LockList() noexcept { ::AcquireSRWLockExclusive(&g_list); }
void UnlockList() noexcept { ::ReleaseSRWLockExclusive(&g_list); }

}  // namespace output_os

}  // namespace tamrovi
