// What the output file's two forms share, kept apart from every OS call: the
// record of uncommitted temporary files and the steps of committing and
// discarding. Each OS file gives the few calls those steps need (below) and
// the rest of COutputFile.
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/OutputFile.h"

namespace tamrovi {

// Calls the testing hook set by CallBeforeOpening, if any.
void BeforeOpening(const char* path) noexcept;

// Letters at the end of a temporary file's name, after ".NAME.".
inline constexpr std::size_t kSuffixLength = 6;

// kSuffixLength letters of `alphabet` (`letters` of them) and a terminator
// into `out`, mixed from `seed` (the OS's clock and process) and a count of the
// names this process has asked for, so that no two threads pick alike; the
// exclusive creation settles the rare clash with another process.
void MakeSuffix(std::uint64_t seed, const char* alphabet, std::size_t letters, char* out) noexcept;

// The temporary files not yet committed or removed, so that a program ending
// on a signal can remove them. The list has a lock of its own, held only
// while the list is relinked or walked.
struct COutputFileRegistry {
  static void Add(COutputFile& file) noexcept;
  static void Remove(COutputFile& file) noexcept;
  static void RemoveAllFiles() noexcept;  // once creation has stopped
};

// Given by each OS file. Each returns 0 or the system's error number.
namespace output_os {
// The name of a new temporary file beside `finalPath` into `out`
// (kPathCapacity bytes); false when no name fits.
bool TemporaryName(const SystemPathChar* finalPath, SystemPathChar* out) noexcept;
// Creates `path` for writing, only when no such name exists: EEXIST then.
int CreateNew(const SystemPathChar* path, std::intptr_t& handle) noexcept;
// Writes some of `count` bytes (more than 0): how many were put, or minus the
// system's error number.
std::int64_t WriteSome(std::intptr_t handle, const void* bytes, std::int64_t count) noexcept;
int CloseOutput(std::intptr_t handle) noexcept;
int MoveOver(const SystemPathChar* temporaryPath, const SystemPathChar* finalPath) noexcept;  // in one step
void RemoveTemporary(const SystemPathChar* path) noexcept;
[[noreturn]] void ExitAtOnce(int status) noexcept;  // no handlers, no destructors

// A temporary file is created and noted under a shared hold on creation,
// which every writer may have at once, so that writers on several threads
// never wait for each other; the ending of the program takes the hold
// exclusively and never gives it back, so no file is created unseen after
// it looked. Committing needs no hold: a name the ending removes after it was
// renamed away is simply no longer there.
void HoldCreation() noexcept;
void ReleaseCreation() noexcept;
void StopCreation() noexcept;
void LockList() noexcept;
void UnlockList() noexcept;
}  // namespace output_os

// A writer's shared hold on creation, for one scope.
class CCreationHold {
 public:
  CCreationHold() noexcept { output_os::HoldCreation(); }
  CCreationHold(const CCreationHold&) = delete;
  CCreationHold& operator=(const CCreationHold&) = delete;
  ~CCreationHold() { output_os::ReleaseCreation(); }
};

}  // namespace tamrovi
