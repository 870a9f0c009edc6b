// How the tool ends when it is interrupted.
#pragma once

namespace tamrovi::cli {

// From now on SIGINT, SIGTERM and SIGHUP end the tool with status 128 + the
// signal's number, after removing the temporary files of the outputs being
// written, so an interrupted run leaves every output as it was. A write past
// the file-size limit fails with its reason instead of killing the tool
// (SIGXFSZ is ignored). Call before any other thread starts.
void EndCleanlyOnInterruption();

// A function the ending calls first, with the signal's number, on the thread
// that takes the signal: a batch prints and records what it has done so far.
// nullptr calls none. It may take locks, but must not wait for the threads
// that hold them to finish their files.
using InterruptionNote = void (*)(int signal);
void SetInterruptionNote(InterruptionNote note);

}  // namespace tamrovi::cli
