// Allocation and release of every buffer the library owns.
//
// All pixel rows, file images and work tables come from here, so that one
// switch can make any single allocation fail and every failure path can be
// exercised by the tests.
#pragma once

#include <cstdint>

namespace tamrovi {

// Returns a block of `size` bytes, or null when `size` is 0 or less or the
// memory cannot be had. The block's contents are undefined. A block of a
// large page (2 MiB) or more starts on one and is given whole large pages,
// and the system is asked to back it with them.
void* AllocateBlock(std::int64_t size) noexcept;

// Makes `block` (from AllocateBlock) `size` bytes long, keeping its contents
// up to the shorter length, and returns it, perhaps moved; the added bytes are
// undefined. Null when `size` is 0 or less or the memory cannot be had: the
// block is then unchanged and still owned by the caller. A large block grows
// where it lies or is moved by the system without a second copy existing at
// once, so a file image is never held twice.
void* ResizeBlock(void* block, std::int64_t size) noexcept;

// Gives a block back. Releasing null does nothing.
void ReleaseBlock(void* block) noexcept;

// Testing aid, per thread: the `n`-th allocation from now fails (1 = the next
// one). 0 turns the failure off. Returns how many allocations the failure set
// before was still waiting for: 0 when it came (or none was set), so that a
// test knows when an operation asked for fewer than n.
std::int64_t FailNthAllocation(std::int64_t n) noexcept;

}  // namespace tamrovi
