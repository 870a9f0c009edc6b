// The one way the library and the tool write a file.
//
// A file is never written in place: its bytes go into a new temporary file in
// the final file's folder, named so that a user recognises it (".NAME." and
// a random suffix), and Commit renames that over the final path in one step.
// Until then the final path keeps exactly what it had, or stays absent; a
// failure, or an object that goes away uncommitted, removes the temporary
// file. A process killed outright can leave at most the temporary file beside
// the output, never a partial file under the output's name, and writers racing
// for one path leave exactly one of their files, whole.
//
// A symbolic link at the final path is kept and its target replaced. The
// temporary file is readable by its owner only while it is written; just
// before the rename it takes the replaced file's permission bits, or for a
// new file those the umask gives. A file the user may not write is refused,
// as opening it for writing would be.
//
// A regular file, or a name that does not exist, is only ever replaced by
// renaming: the choice is made from one look at the final name, and a regular
// file found there when opening a device is looked at again, never written
// in place. Outputs that are not regular files (a character device such as
// /dev/null, a FIFO) cannot be renamed over: they are written directly and
// never removed. A FIFO that no process reads is refused at once (the system's
// "No such device or address"), never waited on.
//
// A name of one of the process's descriptors (/dev/stdout, /dev/fd/N,
// /proc/self/fd/N) is written through that descriptor, as OpenStandardOutput
// writes standard output.
// A link of another process's descriptor to a deleted file, which no name
// holds, is emptied and written in place.
//
// Paths are narrow: the bytes the system names files by (UTF-8 by convention).
// On Windows they are kept in the system's own UTF-16 form: a narrow path is
// converted once when opened, a UTF-16 one is used as it is.
//
// On Windows a symbolic link or junction at the final path is kept too, and
// the file it leads to replaced; a link that leads nowhere is refused ("No
// such file or directory"), there being no file to find. A temporary name
// longer than a name may be (255 UTF-16 units) is shortened as on Linux.
#pragma once

#include <cstdint>

#include "platform/Result.h"
#include "platform/TextConversion.h"

namespace tamrovi {

class COutputFile {
 public:
  COutputFile() = default;
  COutputFile(const COutputFile&) = delete;
  COutputFile& operator=(const COutputFile&) = delete;
  ~COutputFile();  // an uncommitted file is discarded

  // Prepares to replace `path` (null fails). Every failure of the object is
  // kCannotWrite with the system's error number.
  CResult Open(const char* path) noexcept;
#if defined(_WIN32)
  // The same for a path in the system's own form, used as it is.
  CResult Open(const wchar_t* path) noexcept;
#endif

  // Appends all `count` bytes; a failure when they could not all be written.
  CResult Write(const void* bytes, std::int64_t count) noexcept;

  // Puts the written file at the final path. When that failed, the
  // temporary file is gone and the final path keeps what it had.
  CResult Commit() noexcept;

  // Removes the temporary file without touching the final path.
  void Discard() noexcept;

  // Prepares to write the process's standard output, in place and never
  // replaced: a pipe, a terminal or a device, or a file from where its open
  // description stands (so `>>` appends), as Open writes /dev/stdout. On
  // Windows, where standard output has no name, its handle is written, in
  // binary as WriteFile always does.
  CResult OpenStandardOutput() noexcept;

  // Room for a path with its terminator: the longest the system opens on
  // Linux; on Windows, whose own limits count UTF-16 units, the same 4096
  // bytes, the paths past MAX_PATH opened in their long form (\\?\).
  static constexpr std::int64_t kPathCapacity = static_cast<std::int64_t>(tamrovi::kPathCapacity);

 private:
  friend struct COutputFileRegistry;

  CResult OpenTemporary(const SystemPathChar* finalPath) noexcept;
  int OpenInPlace(const SystemPathChar* path) noexcept;  // 0 or the system's error number
  CResult OpenDescriptor(int descriptor) noexcept;  // POSIX
  void SealTemporary() noexcept;  // the final file's attributes, just before the rename
  CResult Fail(int error) noexcept;  // discards

  std::intptr_t m_handle = -1;  // the open file, or -1
  bool m_direct = false;        // a device or FIFO, written in place
  std::uint32_t m_finalMode = 0;    // the permission bits the replacement gets
  std::int64_t m_finalOwner = -1;   // and its owner and group, -1 to keep
  std::int64_t m_finalGroup = -1;
  COutputFile* m_pNextLive = nullptr;  // the uncommitted temporary files of the process
  COutputFile* m_pPreviousLive = nullptr;
  SystemPathChar m_finalPath[kPathCapacity] = {};
  SystemPathChar m_temporaryPath[kPathCapacity] = {};
};

// For a program's own signal handling, never called by the library itself:
// removes every temporary file of the process, refuses new ones and ends the
// process with `status` at once. Safe to call from any thread but a writing
// one that holds no lock, such as a thread that waits for signals.
[[noreturn]] void DiscardOutputsAndExit(int status) noexcept;

// Testing aid, per thread: `hook` (null for none) is called with the final
// path after a writer has looked at it and before it opens it, where another
// writer's rename could change what the name holds.
void CallBeforeOpening(void (*hook)(const char* path)) noexcept;

}  // namespace tamrovi
