// How far a batch has got, on standard error: on a terminal one line redrawn
// in place a few times a second; elsewhere (a log file, a Slurm job's output),
// when asked, a plain line every ten seconds.
#pragma once

#include <chrono>
#include <cstddef>

namespace tamrovi::cli {

class CBatchProgress {
 public:
  CBatchProgress(bool terminal, bool plainLines);

  // `done` files finished of `total` (0 while the inputs are still being
  // read: then no time left is shown).
  void Update(std::size_t done, std::size_t total);

  // Takes the redrawn line off the terminal, so that a message can be
  // printed in its place; the next Update draws it again.
  void Clear();

 private:
  using Clock = std::chrono::steady_clock;

  const bool m_terminal;
  const bool m_plainLines;
  const Clock::time_point m_start = Clock::now();
  Clock::time_point m_lastShown = m_start;
  bool m_lineShown = false;
  bool m_lineTakenOff = false;
};

}  // namespace tamrovi::cli
