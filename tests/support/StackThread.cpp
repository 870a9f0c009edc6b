#include "support/StackThread.h"

#if defined(_WIN32)
#include <windows.h>
#else
#include <climits>
#include <pthread.h>
#endif

namespace bmptest {

#if defined(_WIN32)
static DWORD WINAPI Run(void* work) { return (*static_cast<const std::function<void()>*>(work))(), 0; }

bool RunOnThreadWithStack(std::size_t stackBytes, const std::function<void()>& work) {
  // A reservation, not a commitment: the thread can never grow past it.
  const HANDLE thread = ::CreateThread(nullptr, stackBytes, Run, const_cast<std::function<void()>*>(&work),
                                       STACK_SIZE_PARAM_IS_A_RESERVATION, nullptr);
  if (thread == nullptr) return false;
  ::WaitForSingleObject(thread, INFINITE);
  return ::CloseHandle(thread), true;
}
#else
static void* Run(void* work) { return (*static_cast<const std::function<void()>*>(work))(), nullptr; }

bool RunOnThreadWithStack(std::size_t stackBytes, const std::function<void()>& work) {
  // glibc on 64-bit ARM refuses a stack below PTHREAD_STACK_MIN (128 KiB).
  if (stackBytes < static_cast<std::size_t>(PTHREAD_STACK_MIN)) stackBytes = PTHREAD_STACK_MIN;
  pthread_attr_t attributes;
  pthread_t thread;
  const bool started = pthread_attr_init(&attributes) == 0 && pthread_attr_setstacksize(&attributes, stackBytes) == 0 &&
                       pthread_create(&thread, &attributes, Run, const_cast<std::function<void()>*>(&work)) == 0;
  pthread_attr_destroy(&attributes);
  if (started) pthread_join(thread, nullptr);
  return started;
}
#endif

}  // namespace bmptest
