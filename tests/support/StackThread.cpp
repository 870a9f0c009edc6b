#include "support/StackThread.h"

#if defined(_WIN32)
#include <windows.h>
#else
#include <climits>
#include <pthread.h>
#endif

namespace bmptest {
namespace {

#if defined(_WIN32)
DWORD WINAPI Run(void* work) {
  (*static_cast<const std::function<void()>*>(work))();
  return 0;
}
#else
void* Run(void* work) {
  (*static_cast<const std::function<void()>*>(work))();
  return nullptr;
}
#endif

}  // namespace

bool RunOnThreadWithStack(std::size_t stackBytes, const std::function<void()>& work) {
  void* argument = const_cast<std::function<void()>*>(&work);
#if defined(_WIN32)
  // A reservation, not a commitment: the thread can never grow past it.
  const HANDLE thread = ::CreateThread(nullptr, stackBytes, Run, argument, STACK_SIZE_PARAM_IS_A_RESERVATION, nullptr);
  if (thread == nullptr) return false;
  ::WaitForSingleObject(thread, INFINITE);
  ::CloseHandle(thread);
  return true;
#else
  // Some systems (64-bit ARM) give no thread less than PTHREAD_STACK_MIN.
  if (stackBytes < static_cast<std::size_t>(PTHREAD_STACK_MIN)) stackBytes = PTHREAD_STACK_MIN;
  pthread_attr_t attributes;
  pthread_attr_init(&attributes);
  pthread_t thread;
  const bool started = pthread_attr_setstacksize(&attributes, stackBytes) == 0 &&
                       pthread_create(&thread, &attributes, Run, argument) == 0;
  pthread_attr_destroy(&attributes);
  if (started) pthread_join(thread, nullptr);
  return started;
#endif
}

}  // namespace bmptest
