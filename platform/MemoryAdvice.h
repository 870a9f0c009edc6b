// Hints to the system about how a block of memory will be used. They change
// how fast memory is had, never what it holds: a system that ignores them
// gives the same results.
#pragma once

#include <cstdint>

namespace tamrovi {

// Tells the system that `block` (`size` bytes) is large and about to be
// filled from one end to the other. Where the system has large pages it is
// asked to back the block with them, so that filling a picture of several
// megabytes takes a few page faults instead of one for every 4 KiB.
void AdviseLargeBlock(void* block, std::int64_t size) noexcept;

}  // namespace tamrovi
