// Running a function on a thread with a stack of a given size, as a host
// program that makes small threads would.
#pragma once

#include <cstddef>
#include <functional>

namespace bmptest {

inline constexpr std::size_t kHostThreadStack = 64 * 1024;  // the stack a host may give the export's caller

// Runs `work` on a new thread whose stack is `stackBytes` (or the system's
// smallest, where that is larger: 128 KiB on 64-bit ARM Linux) and waits for
// it. False when no such thread could be made.
bool RunOnThreadWithStack(std::size_t stackBytes, const std::function<void()>& work);

}  // namespace bmptest
