// Ctrl+C, Ctrl+Break and closing the console on Windows: the system runs the
// handler on a thread of its own, where removing files and taking a lock are
// ordinary code, as the POSIX form's waiting thread does.
#include "cli/Interruption.h"

#include <windows.h>

#include <atomic>

#include "platform/OutputFile.h"

namespace tamrovi::cli {
namespace {

// The exit status a POSIX shell gives a program ended by SIGINT.
constexpr int kInterruptedStatus = 128 + 2;

std::atomic<InterruptionNote> g_note{nullptr};

BOOL WINAPI EndOnConsoleEvent(DWORD) {
  if (const InterruptionNote note = g_note.load()) note(kInterruptedStatus - 128);
  DiscardOutputsAndExit(kInterruptedStatus);
}

}  // namespace

void SetInterruptionNote(InterruptionNote note) { g_note.store(note); }

void EndCleanlyOnInterruption() { ::SetConsoleCtrlHandler(EndOnConsoleEvent, TRUE); }

}  // namespace tamrovi::cli
