#include "cli/Interruption.h"

#include <csignal>
#include <pthread.h>
#include <thread>

#include "platform/OutputFile.h"

namespace tamrovi::cli {

void EndCleanlyOnInterruption() {
  std::signal(SIGXFSZ, SIG_IGN);
  // The signals are taken by a thread of their own that waits for them, not
  // by a handler: removing files and holding a lock are then ordinary code.
  // Every thread started later inherits the blocked set.
  sigset_t endings;
  sigemptyset(&endings);
  for (const int signal : {SIGINT, SIGTERM, SIGHUP}) sigaddset(&endings, signal);
  pthread_sigmask(SIG_BLOCK, &endings, nullptr);
  std::thread([endings] {
    int signal = 0;
    while (sigwait(&endings, &signal) != 0) {
    }
    DiscardOutputsAndExit(128 + signal);
  }).detach();
}

}  // namespace tamrovi::cli
