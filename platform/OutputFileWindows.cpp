// The output file on Windows: a temporary file made with CREATE_NEW beside
// the final one, moved over it with MoveFileExW (MOVEFILE_REPLACE_EXISTING |
// MOVEFILE_WRITE_THROUGH), which replaces the final file in one step.
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <windows.h>

#include "platform/Allocation.h"
#include "platform/File.h"
#include "platform/OutputFileShared.h"
#include "platform/TextConversion.h"

namespace tamrovi {
namespace {

constexpr char kSuffixLetters[] = "abcdefghijklmnopqrstuvwxyz0123456789";  // names ignore case here
constexpr std::size_t kMaxNameUnits = 255;

// A narrow path as the wide file calls take it, long paths included; its
// Get() is null when the path does not convert.
class CWindowsPath {
 public:
  explicit CWindowsPath(const char* path) noexcept : m_wide(path), m_system(m_wide.Get()) {}
  const wchar_t* Get() const noexcept { return m_system.Get(); }

 private:
  CWidePath m_wide;
  CSystemPath m_system;
};

HANDLE AsHandle(std::intptr_t handle) { return reinterpret_cast<HANDLE>(handle); }
int LastErrno() { return ErrnoOfSystemError(::GetLastError()); }

// The bytes of the longest start of UTF-8 `name` that takes at most `units`
// UTF-16 units, ending between characters: Windows counts names in units.
std::size_t BytesWithinUnits(const char* name, std::size_t units) noexcept {
  std::size_t bytes = 0, used = 0;
  while (name[bytes] != 0) {
    const auto lead = static_cast<unsigned char>(name[bytes]);
    const std::size_t length = lead < 0xC0 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
    std::size_t whole = 1;
    while (whole < length && (static_cast<unsigned char>(name[bytes + whole]) & 0xC0) == 0x80) ++whole;
    const std::size_t taken = whole == 4 ? 2 : 1;  // a character beyond U+FFFF is a surrogate pair
    if (used + taken > units) break;
    used += taken;
    bytes += whole;
  }
  return bytes;
}

}  // namespace

// "DIR\.NAME.xxxxxx" beside `target`, in `out` of kPathCapacity bytes; the
// name is shortened when the whole would be longer than a file name may be
// (255 UTF-16 units).
bool output_os::TemporaryName(const char* target, char* out) noexcept {
  const char* name = target;
  for (const char* c = target; *c != 0; ++c) {
    if (*c == '/' || *c == '\\' || *c == ':') name = c + 1;
  }
  char suffix[kSuffixLength + 1];
  MakeSuffix(::GetTickCount64() ^ (std::uint64_t{::GetCurrentProcessId()} << 32), kSuffixLetters,
             sizeof kSuffixLetters - 1, suffix);
  const std::size_t folder = static_cast<std::size_t>(name - target);
  const std::size_t nameBytes = BytesWithinUnits(name, kMaxNameUnits - 2 - kSuffixLength);
  if (folder + nameBytes + 3 + kSuffixLength > static_cast<std::size_t>(COutputFile::kPathCapacity)) return false;
  std::memcpy(out, target, folder);
  out[folder] = '.';
  std::memcpy(out + folder + 1, name, nameBytes);
  out[folder + 1 + nameBytes] = '.';
  std::memcpy(out + folder + 2 + nameBytes, suffix, kSuffixLength + 1);
  return true;
}

namespace {

// The file an existing `path` leads to, through any symbolic link or junction
// on the way, in its full form, as UTF-8 into `out` of kPathCapacity bytes:
// the replacement goes there and a link stays. Returns 0 or the errno value of
// the failure: ENOENT for a link that leads nowhere, having no file to find,
// ENOMEM when the path could not be had for want of memory, ENAMETOOLONG when
// it has no narrow form.
int FinalPathOf(const wchar_t* path, char* out) noexcept {
  const HANDLE handle = ::CreateFileW(path, 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                      OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (handle == INVALID_HANDLE_VALUE) return LastErrno();
  const DWORD needed = ::GetFinalPathNameByHandleW(handle, nullptr, 0, FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
  auto* target = static_cast<wchar_t*>(AllocateBlock((std::int64_t{needed} + 1) * sizeof(wchar_t)));
  const bool found = needed != 0 && target != nullptr &&
                     ::GetFinalPathNameByHandleW(handle, target, needed + 1, FILE_NAME_NORMALIZED | VOLUME_NAME_DOS) != 0;
  const int error = found ? 0 : (target == nullptr ? ENOMEM : LastErrno());
  ::CloseHandle(handle);
  // Converted on the stack: a final path longer than a narrow path may be
  // (or not well formed) can be named no other way.
  const CNarrowPath narrow(found ? reinterpret_cast<const char16_t*>(target) : nullptr);
  ReleaseBlock(target);
  if (error != 0) return error;
  if (narrow.Get() == nullptr) return ENAMETOOLONG;
  std::strcpy(out, narrow.Get());
  return 0;
}

}  // namespace

bool COutputFile::Open(const char* path) noexcept {
  Discard();
  m_lastError = 0;
  if (path == nullptr || path[0] == 0) return Fail(ENOENT);
  if (std::strlen(path) + 1 > static_cast<std::size_t>(kPathCapacity)) return Fail(ENAMETOOLONG);
  std::strcpy(m_finalPath, path);
  const CWindowsPath widePath(path);
  if (widePath.Get() == nullptr) return Fail(ENAMETOOLONG);
  const DWORD attributes = ::GetFileAttributesW(widePath.Get());
  // An existing file is replaced where it is, which a symbolic link at the
  // path (or on the way) hides. Wanting memory to find it, the path itself
  // is replaced: the output is written all the same.
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_DEVICE)) == 0) {
    const int error = FinalPathOf(widePath.Get(), m_finalPath);
    if (error == ENOENT) return Fail(error);
    if (error != 0) std::strcpy(m_finalPath, path);
  }
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) return Fail(EISDIR);
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DEVICE) != 0) {
    const int error = OpenInPlace(path);
    return error == 0 || Fail(error);
  }
  // A file the user may not write is refused, as opening it for writing would be.
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY) != 0) return Fail(EACCES);
  return OpenTemporary(m_finalPath);
}

int COutputFile::OpenInPlace(const char* path) noexcept {
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
bool COutputFile::OpenStandardOutput() noexcept {
  Discard();
  m_lastError = 0;
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

int output_os::CreateNew(const char* path, std::intptr_t& handle) noexcept {
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

int MoveOver(const char* temporaryPath, const char* finalPath) noexcept {
  ::AcquireSRWLockExclusive(&g_moving);
  const bool moved = ::MoveFileExW(CWindowsPath(temporaryPath).Get(), CWindowsPath(finalPath).Get(),
                                   MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
  const int error = moved ? 0 : LastErrno();
  ::ReleaseSRWLockExclusive(&g_moving);
  return error;
}

void RemoveTemporary(const char* path) noexcept { ::DeleteFileW(CWindowsPath(path).Get()); }

void ExitAtOnce(int status) noexcept { std::_Exit(status); }

void HoldCreation() noexcept { ::AcquireSRWLockShared(&g_creation); }
void ReleaseCreation() noexcept { ::ReleaseSRWLockShared(&g_creation); }
void StopCreation() noexcept { ::AcquireSRWLockExclusive(&g_creation); }
void LockList() noexcept { ::AcquireSRWLockExclusive(&g_list); }
void UnlockList() noexcept { ::ReleaseSRWLockExclusive(&g_list); }

}  // namespace output_os

}  // namespace tamrovi
