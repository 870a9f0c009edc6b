// Splitting one batch across machines: shard K of N takes the inputs whose
// key hashes to K, so N runs given the same operands, in any order and on any
// machine, together take every input exactly once.
#pragma once

#include <cstdint>
#include <string_view>

namespace tamrovi::cli {

struct BatchShard {
  std::uint32_t index = 0;
  std::uint32_t count = 1;  // 1: the whole batch
};

// True when the input with `key` (its path relative to its operand, or as a
// list gives it) belongs to `shard`: FNV-1a, 64 bits, over the bytes of
// `key`, fixed so that every machine and every build agrees on it.
bool InShard(std::string_view key, const BatchShard& shard);

}  // namespace tamrovi::cli
