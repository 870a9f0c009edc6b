#include "cli/Batch.h"

#include <algorithm>
#include <atomic>
#include <filesystem>
#include <iostream>
#include <mutex>
#include <set>
#include <thread>
#include <unistd.h>
#if defined(__GLIBC__)
#include <malloc.h>
#endif

#include "cli/Commands.h"
#include "cli/FilterChoice.h"
#include "cli/Messages.h"

namespace tamrovi::cli {
namespace {

constexpr int kProgressBarWidth = 30;

// One line on a terminal, redrawn in place as files finish.
class CProgressBar {
 public:
  CProgressBar(std::size_t total, bool enabled) : m_total(total), m_enabled(enabled && total > 0) {}

  void Advance() {
    if (!m_enabled) return;
    const std::lock_guard<std::mutex> lock(m_mutex);
    ++m_done;
    const std::size_t filled = m_done * kProgressBarWidth / m_total;
    std::cerr << "\r[" << std::string(filled, '#') << std::string(kProgressBarWidth - filled, ' ') << "] " << m_done
              << '/' << m_total << std::flush;
    if (m_done == m_total) std::cerr << '\n';
  }

 private:
  std::mutex m_mutex;
  std::size_t m_done = 0;
  const std::size_t m_total;
  const bool m_enabled;
};

int JobCount(int requested, std::size_t files) {
  const unsigned cores = std::max(1u, std::thread::hardware_concurrency());
  const std::size_t jobs = requested > 0 ? static_cast<std::size_t>(requested) : cores;
  return static_cast<int>(std::max<std::size_t>(1, std::min(jobs, files)));
}

// Output paths in the output directory; an input whose file name an earlier
// input already has would overwrite that one's output, so it gets none.
std::vector<std::string> OutputPaths(const BatchRequest& request, std::vector<std::string>& errors) {
  std::vector<std::string> outputs(request.inputs.size());
  std::set<std::string> names;
  for (std::size_t i = 0; i < request.inputs.size(); ++i) {
    const std::string name = std::filesystem::path(request.inputs[i]).filename().string();
    if (name.empty()) {
      errors[i] = Printable(request.inputs[i]) + ": names a folder, not a file";
    } else if (!names.insert(name).second) {
      errors[i] = Printable(request.inputs[i]) +
                  ": an earlier input has the same file name; its output would be overwritten";
    } else {
      outputs[i] = (std::filesystem::path(request.outputDirectory) / name).string();
    }
  }
  return outputs;
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

}  // namespace

int RunBatch(const BatchRequest& request) {
  std::int32_t code = 0;
  std::string filterError;
  if (!ChooseFilter(request.filter, code, filterError)) return UsageError(filterError);
  std::error_code failure;
  std::filesystem::create_directories(request.outputDirectory, failure);
  if (failure) {
    std::cerr << Printable(request.outputDirectory) << ": cannot create the output folder (" << failure.message()
              << ")\n";
    return kExitFailed;
  }

  const std::size_t total = request.inputs.size();
  std::vector<std::string> errors(total);
  std::vector<std::string> notes(total);
  const std::vector<std::string> outputs = OutputPaths(request, errors);
  CProgressBar progress(total, ::isatty(STDERR_FILENO) != 0);
  KeepFreedMemoryForTheNextFile();
  std::atomic<std::size_t> next{0};
  auto work = [&] {
    for (std::size_t i = next++; i < total; i = next++) {
      if (errors[i].empty()) {
        FileOutcome outcome;
        FilterFile(request.inputs[i], outputs[i], code, FilterOptions{{}, request.keepFormat}, outcome);
        notes[i] = outcome.warning.empty() ? outcome.note : outcome.warning;
        errors[i] = outcome.error;
      }
      progress.Advance();
    }
  };
  std::vector<std::thread> workers;
  const int jobs = JobCount(request.jobs, total);
  for (int j = 1; j < jobs; ++j) workers.emplace_back(work);
  work();
  for (std::thread& worker : workers) worker.join();

  for (const std::string& note : notes) {
    if (!note.empty()) std::cerr << note << '\n';
  }
  std::size_t failed = 0;
  for (const std::string& error : errors) {
    if (error.empty()) continue;
    std::cerr << error << '\n';
    ++failed;
  }
  std::cout << "batch: " << total - failed << " of " << total << " files written to "
            << Printable(request.outputDirectory);
  if (failed > 0) std::cout << ", " << failed << " failed";
  std::cout << '\n';
  return failed > 0 ? kExitFailed : kExitOk;
}

}  // namespace tamrovi::cli
