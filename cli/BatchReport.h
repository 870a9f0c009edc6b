// What became of each input of a batch, and its record as JSON Lines: one
// object per input, written and flushed as the input finishes, then one
// summary object.
#pragma once

#include <cstddef>
#include <fstream>
#include <ostream>
#include <string>

namespace tamrovi::cli {

enum class BatchStatus { kWritten, kSkipped, kWarning, kFailed };

struct BatchOutcome {
  std::string input;
  std::string output;    // "" when the input got none
  BatchStatus status = BatchStatus::kWritten;
  std::string message;   // the line for standard error: a failure or a warning
  std::string note;      // a remark that is no fault (written 24-bit)
  double seconds = 0;
};

struct BatchTally {
  std::size_t written = 0;  // warnings not among them
  std::size_t skipped = 0;
  std::size_t warned = 0;   // written, with a warning
  std::size_t failed = 0;

  void Count(BatchStatus status);
  std::size_t Total() const { return written + skipped + warned + failed; }
};

// How the run went as a whole: its threads, its time, and the signal that
// cut it short, if one did.
struct BatchEnding {
  int jobs = 0;
  double seconds = 0;
  int signal = 0;  // 0: not interrupted
};

class CBatchReport {
 public:
  // Opens `path` ("-": standard output) for the report, replacing a file
  // there; "" writes none. Returns the reason it cannot be written, or "".
  std::string Open(const std::string& path);

  void Record(const BatchOutcome& outcome);
  void Summarise(const BatchTally& tally, const BatchEnding& ending);

 private:
  std::ofstream m_file;
  std::ostream* m_out = nullptr;
};

}  // namespace tamrovi::cli
