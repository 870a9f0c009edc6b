#include "cli/Batch.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <filesystem>
#include <iostream>
#include <mutex>
#include <span>
#include <unordered_set>
#include <unistd.h>
#if defined(__GLIBC__)
#include <malloc.h>
#endif

#include "cli/Arguments.h"
#include "cli/BatchInputs.h"
#include "cli/BatchProgress.h"
#include "cli/BatchReport.h"
#include "cli/Commands.h"
#include "cli/FilterChoice.h"
#include "cli/Interruption.h"
#include "cli/Messages.h"
#include "cli/WorkerPool.h"

namespace tamrovi::cli {
namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

// True when the input with `key` (its path relative to its operand, or as a
// list gives it) belongs to `shard`: FNV-1a, 64 bits, over the bytes of
// `key`, fixed so that every machine and every build agrees on it.
bool InShard(std::string_view key, const BatchShard& shard) {
  constexpr std::uint64_t kOffsetBasis = 14695981039346656037ull;
  constexpr std::uint64_t kPrime = 1099511628211ull;
  if (shard.count <= 1) return true;
  std::uint64_t hash = kOffsetBasis;
  for (const char c : key) {
    hash ^= static_cast<unsigned char>(c);
    hash *= kPrime;
  }
  return hash % shard.count == shard.index;
}

// Every file asks for the same few large blocks (its file image, its rows),
// and gives them back before the next. Left to itself the allocator hands
// blocks of a megabyte or more back to the system as soon as they are freed,
// and each file then pays again for fresh pages, a page fault every 4 KiB:
// most of the time a small picture takes, and work the system does for all
// the threads of a process at once, so the batch stops scaling with the
// cores. Kept in the process, the memory is reused file after file.
void KeepFreedMemoryForTheNextFile() {
#if defined(__GLIBC__)
  constexpr int kLargestKeptBlock = 32 << 20;  // a 1600-row picture of 6990 colour pixels a row
  constexpr int kKeptAtTheTop = 256 << 20;
  mallopt(M_MMAP_THRESHOLD, kLargestKeptBlock);
  mallopt(M_TRIM_THRESHOLD, kKeptAtTheTop);
#endif
}

// An output's name as the file system compares names: on Windows two names
// that differ only in the case of letters are one file.
std::string OutputKey(const std::string& relative) {
#if defined(_WIN32)
  return AsciiLowerCase(relative);
#else
  return relative;
#endif
}

// More threads than processors only take turns on them.
int JobCount(int requested) {
  const int available = ProcessorsAvailable();
  return requested > 0 ? std::min(requested, available) : available;
}

class CBatchRun {
 public:
  // `operands` as RunBatch takes them: FILTER OUTDIR [INPUT...].
  CBatchRun(const CommandLine& line, std::span<const std::string> operands, const FilterOptions& options,
            std::int32_t code, CBatchInputs& inputs, CBatchReport& report)
      : m_line(line), m_outputDirectory(operands[1]), m_options(options), m_code(code), m_inputs(inputs),
        m_report(report), m_progress(::isatty(STDERR_FILENO) != 0, line.progress) {
    // File operands alone are counted before the work starts, for the time left.
    if (line.recursive || !line.filesFrom.empty()) return;
    for (const std::string& operand : operands.subspan(2)) {
      m_countedAhead += InShard(fs::path(operand).filename().string(), line.shard) ? 1 : 0;
    }
  }

  // What each thread runs: take an input, filter it, record it, until none is left.
  void Work() {
    ++m_threads;
    BatchInput input;
    std::string output;
    while (Take(input, output)) Finish(Process(input, output));
  }

  // At the end of the run, when every thread has finished.
  int End() {
    const std::lock_guard<std::timed_mutex> lock(m_recordLock);
    return Summarise(0);
  }

  // On a signal: the summary so far. The lock is kept, so that no thread
  // records a file after it; the process ends next. A thread stuck holding
  // it (writing the report to a pipe nobody reads) does not keep the tool
  // from ending: after a while it ends without the summary.
  void Interrupt(int signal) {
    if (m_recordLock.try_lock_for(std::chrono::seconds(2))) Summarise(signal);
  }

 private:
  // The summary line, and the report's last line; returns the exit status.
  int Summarise(int signal) {
    const BatchEnding ending{m_threads.load(), std::chrono::duration<double>(Clock::now() - m_start).count(),
                             signal};
    m_progress.Clear();
    std::ostream& out = signal != 0 || m_line.reportPath == "-" ? std::cerr : std::cout;
    out << "batch: ";
    if (signal != 0) out << "interrupted by signal " << signal << "; so far ";
    out << m_tally.written + m_tally.warned << " of " << m_tally.Total() << " files written to "
        << Printable(m_outputDirectory);
    if (m_tally.skipped > 0) out << ", " << m_tally.skipped << " skipped (their outputs were there)";
    if (m_tally.warned > 0) out << ", " << m_tally.warned << " with a warning";
    if (m_tally.failed > 0) out << ", " << m_tally.failed << " failed";
    out << '\n' << std::flush;
    m_report.Summarise(m_tally, ending);
    return m_tally.failed > 0 ? kExitFailed : kExitOk;
  }

  // The next input of this run's shard and its output path; an input that
  // cannot be taken comes with its reason in `input.error`.
  bool Take(BatchInput& input, std::string& output) {
    const std::lock_guard<std::mutex> lock(m_takeLock);
    do {
      if (!m_inputs.Next(input)) {
        m_inputsRead = true;
        return false;
      }
    } while (!InShard(input.key, m_line.shard));
    ++m_taken;
    output.clear();
    if (!input.error.empty()) return true;
    output = (fs::path(m_outputDirectory) / fs::path(input.relative)).string();
    // Never two inputs onto one output: the second would overwrite the first.
    if (!m_outputs.insert(OutputKey(input.relative)).second) {
      input.error = Printable(input.path) +
                    (m_line.recursive
                         ? ": an earlier input has the same path under the output folder; its output would be overwritten"
                         : ": an earlier input has the same file name; its output would be overwritten");
      output.clear();
    }
    return true;
  }

  BatchOutcome Process(const BatchInput& input, const std::string& output) {
    const Clock::time_point start = Clock::now();
    BatchOutcome outcome;
    outcome.input = input.path;
    outcome.output = output;
    std::error_code failure;
    if (!input.error.empty()) {
      outcome.status = BatchStatus::kFailed;
      outcome.message = input.error;
    } else if (m_line.skipExisting && fs::exists(output, failure)) {
      outcome.status = BatchStatus::kSkipped;
    } else {
      // Its folder is made only for a file that is there to fill it.
      const fs::path folder = fs::path(output).parent_path();
      if (m_line.recursive && !folder.empty() && fs::is_regular_file(input.path, failure)) {
        fs::create_directories(folder, failure);
      }
      FileOutcome file;
      if (!FilterFile(input.path, output, m_code, m_options, file)) {
        outcome.status = BatchStatus::kFailed;
        outcome.message = file.error;
      } else if (!file.warning.empty()) {
        outcome.status = BatchStatus::kWarning;  // written; with --strict it would have failed
        outcome.message = file.warning;
      }
      outcome.note = file.note;
    }
    outcome.seconds = std::chrono::duration<double>(Clock::now() - start).count();
    return outcome;
  }

  void Finish(const BatchOutcome& outcome) {
    const std::lock_guard<std::timed_mutex> lock(m_recordLock);
    m_tally.Count(outcome.status);
    if (!outcome.note.empty() || !outcome.message.empty()) {
      m_progress.Clear();
      if (!outcome.note.empty()) std::cerr << outcome.note << '\n';
      if (!outcome.message.empty()) std::cerr << outcome.message << '\n';
      std::cerr << std::flush;
    }
    m_report.Record(outcome);
    m_progress.Update(m_tally.Total(), m_inputsRead ? m_taken.load() : m_countedAhead);
  }

  const CommandLine& m_line;
  const std::string& m_outputDirectory;
  const FilterOptions& m_options;
  const std::int32_t m_code;
  const Clock::time_point m_start = Clock::now();
  std::atomic<int> m_threads{0};

  std::mutex m_takeLock;  // the inputs and the outputs named so far
  CBatchInputs& m_inputs;
  std::unordered_set<std::string> m_outputs;
  std::atomic<std::size_t> m_taken{0};
  std::atomic<bool> m_inputsRead{false};
  std::size_t m_countedAhead = 0;  // 0: not known until the inputs are read

  std::timed_mutex m_recordLock;  // the tally, the report, standard error
  CBatchReport& m_report;
  BatchTally m_tally;
  CBatchProgress m_progress;
};

std::atomic<CBatchRun*> g_running{nullptr};

void NoteInterruption(int signal) {
  if (CBatchRun* run = g_running.load()) run->Interrupt(signal);
}

}  // namespace

int RunBatch(const CommandLine& line, std::span<const std::string> operands, const FilterOptions& options) {
  const CChecked<std::int32_t> code = ChooseFilter(operands[0]);
  if (!code.refusal.empty()) return UsageError(code.refusal);
  const std::string& outputDirectory = operands[1];
  std::error_code failure;
  fs::create_directories(outputDirectory, failure);
  if (failure) {
    std::cerr << Printable(outputDirectory) << ": cannot create the output folder (" << failure.message() << ")\n";
    return kExitFailed;
  }
  CBatchInputs inputs(line, operands.subspan(2), outputDirectory);
  CBatchReport report;
  std::string refusal = inputs.Open();
  if (refusal.empty()) refusal = report.Open(line.reportPath);
  if (!refusal.empty()) {
    std::cerr << refusal << '\n';
    return kExitFailed;
  }

  KeepFreedMemoryForTheNextFile();
  CBatchRun run(line, operands, options, code.value, inputs, report);
  g_running = &run;
  SetInterruptionNote(NoteInterruption);
  RunOnThreads(JobCount(line.jobs), [&run] { run.Work(); });
  SetInterruptionNote(nullptr);
  g_running = nullptr;
  return run.End();
}

}  // namespace tamrovi::cli
