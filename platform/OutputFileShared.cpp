#include "platform/OutputFileShared.h"

#include <atomic>
#include <cerrno>

namespace tamrovi {
namespace {

thread_local void (*t_beforeOpening)(const char*) = nullptr;

COutputFile*& First() noexcept {
  static COutputFile* first = nullptr;
  return first;
}

}  // namespace

void CallBeforeOpening(void (*hook)(const char* path)) noexcept { t_beforeOpening = hook; }

void BeforeOpening(const char* path) noexcept {
  if (t_beforeOpening != nullptr) t_beforeOpening(path);
}

void MakeSuffix(std::uint64_t seed, const char* alphabet, std::size_t letters, char* out) noexcept {
  static std::atomic<std::uint64_t> counter{0};
  std::uint64_t state = seed ^ reinterpret_cast<std::uintptr_t>(&seed) ^ (counter.fetch_add(1) * 0x9E3779B97F4A7C15ull);
  for (std::size_t i = 0; i < kSuffixLength; ++i) {
    state ^= state >> 31, state *= 0xBF58476D1CE4E5B9ull, state ^= state >> 29;  // splitmix64's mixing
    out[i] = alphabet[state % letters];
  }
  out[kSuffixLength] = 0;
}

void COutputFileRegistry::Add(COutputFile& file) noexcept {
  output_os::LockList();
  file.m_pNextLive = First();
  if (First() != nullptr) First()->m_pPreviousLive = &file;
  First() = &file;
  output_os::UnlockList();
}

void COutputFileRegistry::Remove(COutputFile& file) noexcept {
  output_os::LockList();
  if (file.m_pPreviousLive != nullptr) file.m_pPreviousLive->m_pNextLive = file.m_pNextLive;
  else if (First() == &file) First() = file.m_pNextLive;
  if (file.m_pNextLive != nullptr) file.m_pNextLive->m_pPreviousLive = file.m_pPreviousLive;
  file.m_pNextLive = file.m_pPreviousLive = nullptr;
  output_os::UnlockList();
}

void COutputFileRegistry::RemoveAllFiles() noexcept {
  output_os::LockList();  // kept: the program ends here
  for (COutputFile* file = First(); file != nullptr; file = file->m_pNextLive) {
    output_os::RemoveTemporary(file->m_temporaryPath);
  }
}

COutputFile::~COutputFile() { Discard(); }

CResult COutputFile::OpenTemporary(const SystemPathChar* finalPath) noexcept {
  const CCreationHold hold;
  std::intptr_t handle = -1;
  int error = ENAMETOOLONG;
  while (output_os::TemporaryName(finalPath, m_temporaryPath)) {
    error = output_os::CreateNew(m_temporaryPath, handle);
    if (error != EEXIST) break;
  }
  if (error != 0) {
    m_temporaryPath[0] = 0;  // not ours: nothing to remove
    return {Reason::kCannotWrite, error};
  }
  m_handle = handle;
  COutputFileRegistry::Add(*this);
  return {};
}

CResult COutputFile::Write(const void* bytes, std::int64_t count) noexcept {
  if (m_handle == -1 || count < 0) return {Reason::kCannotWrite, m_handle == -1 ? EBADF : EINVAL};
  const auto* cursor = static_cast<const unsigned char*>(bytes);
  for (std::int64_t total = 0; total < count;) {
    const std::int64_t put = output_os::WriteSome(m_handle, cursor + total, count - total);
    if (put <= 0) return {Reason::kCannotWrite, put < 0 ? static_cast<int>(-put) : EIO};
    total += put;
  }
  return {};
}

CResult COutputFile::Fail(int error) noexcept {
  Discard();
  return {Reason::kCannotWrite, error};
}

CResult COutputFile::Commit() noexcept {
  if (m_handle == -1) return {Reason::kCannotWrite, EBADF};
  if (!m_direct) SealTemporary();
  const int closeError = output_os::CloseOutput(m_handle);
  m_handle = -1;
  if (closeError != 0) return Fail(closeError);
  if (m_direct) {
    m_direct = false;
    return {};
  }
  const int error = output_os::MoveOver(m_temporaryPath, m_finalPath);
  if (error != 0) output_os::RemoveTemporary(m_temporaryPath);
  COutputFileRegistry::Remove(*this);
  m_temporaryPath[0] = 0;
  return {error == 0 ? Reason::kNone : Reason::kCannotWrite, error};
}

void COutputFile::Discard() noexcept {
  if (m_handle != -1) output_os::CloseOutput(m_handle);
  m_handle = -1;
  m_direct = false;
  if (m_temporaryPath[0] == 0) return;
  output_os::RemoveTemporary(m_temporaryPath);
  COutputFileRegistry::Remove(*this);
  m_temporaryPath[0] = 0;
}

void DiscardOutputsAndExit(int status) noexcept {
  // Creation is never given back: no writer can create a file after this
  // point, and the process ends holding it.
  output_os::StopCreation();
  COutputFileRegistry::RemoveAllFiles();
  output_os::ExitAtOnce(status);
}

}  // namespace tamrovi
