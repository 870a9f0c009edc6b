// What the output file's two forms share, kept apart from every OS call: the
// testing limit on written bytes, the record of uncommitted temporary files,
// and the steps of committing and discarding. Each OS file gives the few
// calls those steps need (below) and the rest of COutputFile.
#pragma once

#include <cstdint>
#include <mutex>

#include "platform/OutputFile.h"

namespace tamrovi {

// Bytes that may still be written under the testing limit: all of `count`
// when there is none.
std::int64_t WritableOf(std::int64_t count) noexcept;

// The temporary files not yet committed or removed, so that a program ending
// on a signal can remove them. Files are created and renamed with the lock
// held: none can appear, or vanish into its final name, unseen.
struct COutputFileRegistry {
  static std::mutex& Lock() noexcept;
  static void Add(COutputFile& file) noexcept;
  static void Remove(COutputFile& file) noexcept;
  static void RemoveAllFiles() noexcept;  // the lock held
};

// Given by each OS file. Each returns 0 or the system's error number.
namespace output_os {
int CloseOutput(std::intptr_t handle) noexcept;
int MoveOver(const char* temporaryPath, const char* finalPath) noexcept;  // in one step
void RemoveTemporary(const char* path) noexcept;
[[noreturn]] void ExitAtOnce(int status) noexcept;  // no handlers, no destructors
}  // namespace output_os

}  // namespace tamrovi
