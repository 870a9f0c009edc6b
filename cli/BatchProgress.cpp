#include "cli/BatchProgress.h"

#include <iostream>
#include <string>

namespace tamrovi::cli {
namespace {

constexpr auto kRedrawInterval = std::chrono::milliseconds(250);  // more often is flicker, and costs a write
constexpr auto kPlainLineInterval = std::chrono::seconds(10);

std::string Duration(double seconds) {
  const long long whole = static_cast<long long>(seconds + 0.5);
  if (whole >= 3600) return std::to_string(whole / 3600) + "h " + std::to_string(whole / 60 % 60) + "m";
  if (whole >= 60) return std::to_string(whole / 60) + "m " + std::to_string(whole % 60) + "s";
  return std::to_string(whole) + "s";
}

// "1200 of 200000 files, 850 a second, 3m 54s left"
std::string ProgressText(std::size_t done, std::size_t total, double seconds) {
  const double rate = seconds > 0 ? static_cast<double>(done) / seconds : 0;
  std::string text = std::to_string(done);
  if (total > 0) text += " of " + std::to_string(total);
  text += " files, " + std::to_string(static_cast<long long>(rate + 0.5)) + " a second";
  if (total > 0 && rate > 0 && done < total) text += ", " + Duration(static_cast<double>(total - done) / rate) + " left";
  return text;
}

}  // namespace

CBatchProgress::CBatchProgress(bool terminal, bool plainLines) : m_terminal(terminal), m_plainLines(plainLines) {}

void CBatchProgress::Update(std::size_t done, std::size_t total) {
  if (!m_terminal && !m_plainLines) return;
  const Clock::time_point now = Clock::now();
  const bool finished = total > 0 && done == total;
  // A line taken off for a message comes back at once.
  const bool due = now - m_lastShown >= (m_terminal ? kRedrawInterval : kPlainLineInterval);
  if (!due && !(m_terminal && (finished || m_lineTakenOff))) return;
  m_lineTakenOff = false;
  m_lastShown = now;
  const std::string text = ProgressText(done, total, std::chrono::duration<double>(now - m_start).count());
  if (m_terminal) {
    std::cerr << "\r\033[K" << text << (finished ? "\n" : "") << std::flush;
    m_lineShown = !finished;
  } else {
    std::cerr << "batch: " << text << '\n' << std::flush;
  }
}

void CBatchProgress::Clear() {
  if (!m_lineShown) return;
  std::cerr << "\r\033[K";
  m_lineShown = false;
  m_lineTakenOff = true;
}

}  // namespace tamrovi::cli
