#include "cli/Interruption.h"

#include <atomic>
#include <csignal>
#include <cstdlib>
#include <initializer_list>
#include <pthread.h>

#include "platform/OutputFile.h"

namespace tamrovi::cli {
namespace {

sigset_t g_endings;
pthread_t g_watcher;
std::atomic<InterruptionNote> g_note{nullptr};

// The signals are taken by a thread of its own that waits for them, not by a
// handler: removing files and taking a lock are then ordinary code.
void* WaitForAnEnding(void*) {
  int signal = 0;
  while (sigwait(&g_endings, &signal) != 0) {
  }
  if (const InterruptionNote note = g_note.load()) note(signal);
  DiscardOutputsAndExit(128 + signal);
}

// At a normal exit the waiting thread is stopped and given back, so that
// the process ends with no thread left running.
void StopWaiting() {
  pthread_cancel(g_watcher);
  pthread_join(g_watcher, nullptr);
}

}  // namespace

void SetInterruptionNote(InterruptionNote note) { g_note.store(note); }

void EndCleanlyOnInterruption() {
  std::signal(SIGXFSZ, SIG_IGN);
  sigemptyset(&g_endings);
  for (const int signal : {SIGINT, SIGTERM, SIGHUP}) sigaddset(&g_endings, signal);
  // Every thread started later inherits the blocked set.
  pthread_sigmask(SIG_BLOCK, &g_endings, nullptr);
  if (pthread_create(&g_watcher, nullptr, WaitForAnEnding, nullptr) == 0) {
    std::atexit(StopWaiting);
  } else {
    pthread_sigmask(SIG_UNBLOCK, &g_endings, nullptr);  // the signals end the tool as they always did
  }
}

}  // namespace tamrovi::cli
