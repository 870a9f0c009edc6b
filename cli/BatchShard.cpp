#include "cli/BatchShard.h"

namespace tamrovi::cli {
namespace {

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

}  // namespace

bool InShard(std::string_view key, const BatchShard& shard) {
  return shard.count <= 1 || StableHash(key) % shard.count == shard.index;
}

}  // namespace tamrovi::cli
