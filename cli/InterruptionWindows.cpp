// Ctrl+C, Ctrl+Break and closing the console on Windows: the system runs the
// handler on a thread of its own, where removing files and taking a lock are
// ordinary code, as the POSIX form's waiting thread does.
#include "cli/Interruption.h"

#include <windows.h>

#include "platform/OutputFile.h"

namespace tamrovi::cli {
namespace {

// The exit status a POSIX shell gives a program ended by SIGINT.
constexpr int kInterruptedStatus = 128 + 2;

BOOL WINAPI EndOnConsoleEvent(DWORD) { DiscardOutputsAndExit(kInterruptedStatus); }

}  // namespace

void EndCleanlyOnInterruption() { ::SetConsoleCtrlHandler(EndOnConsoleEvent, TRUE); }

}  // namespace tamrovi::cli
