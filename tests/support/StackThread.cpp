#include "support/StackThread.h"

#if defined(_WIN32)
#include <windows.h>
#else
#include <algorithm>
#include <climits>
#include <cstdint>
#include <pthread.h>
#include <vector>
#endif

namespace bmptest {

#if defined(_WIN32)
static DWORD WINAPI Run(void* work) { return (*static_cast<const std::function<void()>*>(work))(), 0; }

std::ptrdiff_t RunOnThreadWithStack(std::size_t stackBytes, const std::function<void()>& work) {
  // A reservation, not a commitment: the thread can never grow past it.
  const HANDLE thread = ::CreateThread(nullptr, stackBytes, Run, const_cast<std::function<void()>*>(&work),
                                       STACK_SIZE_PARAM_IS_A_RESERVATION, nullptr);
  if (thread == nullptr) return -1;
  ::WaitForSingleObject(thread, INFINITE);
  return ::CloseHandle(thread), 0;
}
#else
static void* Run(void* work) { return (*static_cast<const std::function<void()>*>(work))(), nullptr; }

std::ptrdiff_t RunOnThreadWithStack(std::size_t stackBytes, const std::function<void()>& work) {
  // glibc on 64-bit ARM refuses a stack below PTHREAD_STACK_MIN (128 KiB).
  stackBytes = std::max(stackBytes, static_cast<std::size_t>(PTHREAD_STACK_MIN));
  // The stack is ours, filled with a mark: what the thread touched has lost it.
  static constexpr std::uint8_t kMark = 0xA5;
  constexpr std::size_t kPage = 4096;
  std::vector<std::uint8_t> memory(stackBytes + kPage, kMark);
  std::uint8_t* const stack = memory.data() + (kPage - reinterpret_cast<std::uintptr_t>(memory.data()) % kPage);
  pthread_attr_t attributes;
  pthread_t thread;
  const bool started = pthread_attr_init(&attributes) == 0 && pthread_attr_setstack(&attributes, stack, stackBytes) == 0 &&
                       pthread_create(&thread, &attributes, Run, const_cast<std::function<void()>*>(&work)) == 0;
  pthread_attr_destroy(&attributes);
  if (!started) return -1;
  pthread_join(thread, nullptr);
  return stack + stackBytes - std::find_if(stack, stack + stackBytes, [](std::uint8_t b) { return b != kMark; });
}
#endif

}  // namespace bmptest
