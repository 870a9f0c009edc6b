// Running a function on a thread with a stack of a given size, as a host
// program that makes small threads would.
#pragma once

#include <cstddef>
#include <functional>

namespace bmptest {

inline constexpr std::size_t kHostThreadStack = 64 * 1024;  // the stack a host may give the export's caller

// Runs `work` on a new thread whose stack is `stackBytes` (or the system's
// smallest, where that is larger: 128 KiB on 64-bit ARM Linux) and waits for
// it. Returns the bytes of that stack the thread touched, thread-local storage
// included, where the stack is memory of the caller's (POSIX); 0 on Windows,
// where the system places it; -1 when no such thread could be made.
std::ptrdiff_t RunOnThreadWithStack(std::size_t stackBytes, const std::function<void()>& work);

}  // namespace bmptest
