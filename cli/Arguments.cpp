#include "cli/Arguments.h"

#include <algorithm>
#include <iterator>
#include <optional>
#include <string_view>

#include "cli/Messages.h"
#include "image/LoadLimits.h"

namespace tamrovi::cli {
namespace {

// "-1" is a filter code and "-0.5" a sigma, not options: no option name starts
// with a digit or a point.
bool IsNegativeNumber(std::string_view text) {
  return text.size() >= 2 && text[0] == '-' && ((text[1] >= '0' && text[1] <= '9') || text[1] == '.');
}

// Decimal digits alone, no sign or space, making a number from 0 to `most`.
std::optional<std::int64_t> WholeNumber(std::string_view text, std::int64_t most) {
  if (text.empty()) return std::nullopt;
  std::int64_t value = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return std::nullopt;
    value = value * 10 + (c - '0');
    if (value > most) return std::nullopt;
  }
  return value;
}

// A job count: a whole number from 1 to kMaxJobs.
bool ParseJobCount(std::string_view text, int& jobs) {
  constexpr int kMaxJobs = 1024;  // far more threads than any machine has cores
  const std::optional<std::int64_t> value = WholeNumber(text, kMaxJobs);
  if (!value || *value == 0) return false;
  jobs = static_cast<int>(*value);
  return true;
}

// A pixel count as --max-pixels takes it: a whole number, or one followed by
// K, M or G (1024, 1024^2, 1024^3; either case), from 1 to kLargestMaxPixels
// (2^31 - 1).
bool ParsePixelCount(std::string_view text, std::int64_t& pixels) {
  std::int64_t unit = 1;
  if (!text.empty()) {
    switch (text.back()) {
      case 'K': case 'k': unit = std::int64_t{1} << 10; break;
      case 'M': case 'm': unit = std::int64_t{1} << 20; break;
      case 'G': case 'g': unit = std::int64_t{1} << 30; break;
      default: break;
    }
    if (unit != 1) text.remove_suffix(1);
  }
  const std::optional<std::int64_t> value = WholeNumber(text, kLargestMaxPixels / unit);
  if (!value || *value == 0) return false;
  pixels = *value * unit;
  return true;
}

// "K/N": whole numbers with K from 0 to N - 1.
bool ParseShard(std::string_view text, BatchShard& shard) {
  constexpr std::int64_t kMostShards = 1 << 20;  // more machines than any batch is split across
  const std::size_t slash = text.find('/');
  if (slash == std::string_view::npos) return false;
  const std::optional<std::int64_t> index = WholeNumber(text.substr(0, slash), kMostShards);
  const std::optional<std::int64_t> count = WholeNumber(text.substr(slash + 1), kMostShards);
  if (!index || !count || *index >= *count) return false;
  shard = {static_cast<std::uint32_t>(*index), static_cast<std::uint32_t>(*count)};
  return true;
}

}  // namespace

// The options that take no value, and what each turns on.
constexpr struct {
  std::string_view name;
  bool CommandLine::*field;
} kSwitches[] = {
    {"--help", &CommandLine::help},     {"-h", &CommandLine::help},
    {"--version", &CommandLine::version}, {"--list", &CommandLine::list},
    {"--keep-format", &CommandLine::keepFormat}, {"--force", &CommandLine::force},
    {"--strict", &CommandLine::strict}, {"--null", &CommandLine::nullSeparated},
    {"--recursive", &CommandLine::recursive}, {"-r", &CommandLine::recursive},
    {"--skip-existing", &CommandLine::skipExisting}, {"--progress", &CommandLine::progress},
};

CommandLine ParseCommandLine(int argc, const char* const* argv) {
  CommandLine line;
  bool optionsEnded = false;
  for (int i = 1; i < argc; ++i) {
    const std::string_view argument = argv[i];
    if (optionsEnded || argument == "-" || argument.empty() || argument[0] != '-' || IsNegativeNumber(argument)) {
      line.operands.emplace_back(argument);
      continue;
    }
    std::string_view name = argument;
    std::string_view value;
    bool hasValue = false;
    if (const std::size_t equals = argument.find('='); equals != std::string_view::npos) {
      name = argument.substr(0, equals);
      value = argument.substr(equals + 1);
      hasValue = true;
    }
    auto takeValue = [&]() -> bool {
      if (hasValue) return true;
      if (i + 1 >= argc) return false;
      value = argv[++i];
      return true;
    };
    const auto* const flag = std::find_if(std::begin(kSwitches), std::end(kSwitches),
                                          [&](const auto& entry) { return entry.name == name; });
    if (name == "--") {
      optionsEnded = true;
    } else if (flag != std::end(kSwitches)) {
      line.*(flag->field) = true;
    } else if (name == "--max-pixels") {
      if (!takeValue() || !ParsePixelCount(value, line.maxPixels)) {
        line.error = "--max-pixels needs a pixel count from 1 to 2147483647 (K, M and G mean 1024, 1024^2, 1024^3)";
      }
    } else if (name == "--plot") {
      if (!takeValue() || value.empty()) line.error = "--plot needs a file name";
      else line.plotPath = value;
    } else if (name == "--jobs" || name == "-j") {
      if (!takeValue() || !ParseJobCount(value, line.jobs)) line.error = "--jobs needs a whole number from 1 to 1024";
    } else if (name == "--files-from") {
      if (!takeValue() || value.empty()) line.error = "--files-from needs a file name (- for standard input)";
      else line.filesFrom = value;
    } else if (name == "--shard") {
      line.shardGiven = true;
      if (!takeValue() || !ParseShard(value, line.shard)) {
        line.error = "--shard needs K/N, whole numbers with K from 0 to N-1 (such as 0/4)";
      }
    } else if (name == "--report") {
      if (!takeValue() || value.empty()) line.error = "--report needs a file name (- for standard output)";
      else line.reportPath = value;
    } else {
      line.error = "unknown option " + Printable(std::string(argument));
    }
    if (!line.error.empty()) break;
  }
  return line;
}

std::string AsciiLowerCase(std::string_view text) {
  std::string lower(text);
  for (char& c : lower) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return lower;
}

}  // namespace tamrovi::cli
