// The command line, split into options and operands. Options may stand before
// or after the operands; "--" ends them.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tamrovi::cli {

// Splitting one batch across machines: shard K of N takes the inputs whose
// key hashes to K, so N runs given the same operands, in any order and on any
// machine, together take every input exactly once.
struct BatchShard {
  std::uint32_t index = 0;
  std::uint32_t count = 1;  // 1: the whole batch
};

struct CommandLine {
  std::vector<std::string> operands;
  bool help = false;
  bool version = false;
  bool list = false;
  bool keepFormat = false;
  bool force = false;    // write an output whose name says another format
  std::string plotPath;  // histogram --plot
  int jobs = 0;          // batch --jobs; 0 = one per processor available
  // batch only
  std::string filesFrom;      // --files-from LIST ("-": standard input)
  bool nullSeparated = false;  // --null: the list's names end with NUL bytes
  bool recursive = false;
  BatchShard shard;  // --shard K/N
  bool shardGiven = false;
  bool skipExisting = false;
  std::string reportPath;  // --report FILE
  bool progress = false;
  std::int64_t maxPixels = 0;  // --max-pixels; 0 = not given, the default limit
  bool strict = false;   // --strict: an input that ends before its last row is refused
  std::string error;     // non-empty when the line could not be understood
};

CommandLine ParseCommandLine(int argc, const char* const* argv);

// The text with its ASCII letters in lower case, for names compared without
// regard to case.
std::string AsciiLowerCase(std::string_view text);

}  // namespace tamrovi::cli
