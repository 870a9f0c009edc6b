// Running a function on a thread of its own with a stack of a given size, as
// a host program that creates small threads would.
#pragma once

#include <cstddef>
#include <functional>

namespace bmptest {

// The stack a host may give the thread that calls the export.
inline constexpr std::size_t kHostThreadStack = 64 * 1024;

// Runs `work` on a new thread whose stack is `stackBytes` (or the system's
// smallest, where that is larger: 128 KiB on 64-bit ARM Linux) and waits for
// it. False when no such thread could be created.
bool RunOnThreadWithStack(std::size_t stackBytes, const std::function<void()>& work);

}  // namespace bmptest
