#include "cli/BatchShard.h"

namespace tamrovi::cli {

bool ParseShard(std::string_view text, BatchShard& shard) {
  constexpr std::uint64_t kMostShards = 1u << 20;  // more machines than any batch is split across
  const std::size_t slash = text.find('/');
  if (slash == std::string_view::npos) return false;
  std::uint64_t numbers[2] = {0, 0};
  const std::string_view parts[2] = {text.substr(0, slash), text.substr(slash + 1)};
  for (int n = 0; n < 2; ++n) {
    if (parts[n].empty()) return false;
    for (char c : parts[n]) {
      if (c < '0' || c > '9') return false;
      numbers[n] = numbers[n] * 10 + static_cast<std::uint64_t>(c - '0');
      if (numbers[n] > kMostShards) return false;
    }
  }
  if (numbers[1] == 0 || numbers[0] >= numbers[1]) return false;
  shard.index = static_cast<std::uint32_t>(numbers[0]);
  shard.count = static_cast<std::uint32_t>(numbers[1]);
  return true;
}

std::uint64_t StableHash(std::string_view key) {
  constexpr std::uint64_t kOffsetBasis = 14695981039346656037ull;
  constexpr std::uint64_t kPrime = 1099511628211ull;
  std::uint64_t hash = kOffsetBasis;
  for (const char c : key) {
    hash ^= static_cast<unsigned char>(c);
    hash *= kPrime;
  }
  return hash;
}

bool InShard(std::string_view key, const BatchShard& shard) {
  return shard.count <= 1 || StableHash(key) % shard.count == shard.index;
}

}  // namespace tamrovi::cli
