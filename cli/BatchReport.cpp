#include "cli/BatchReport.h"

#include <cerrno>
#include <cstdio>
#include <iostream>

#include "cli/Messages.h"

namespace tamrovi::cli {
namespace {

const char* StatusName(BatchStatus status) {
  switch (status) {
    case BatchStatus::kWritten: return "written";
    case BatchStatus::kSkipped: return "skipped";
    case BatchStatus::kWarning: return "warning";
    case BatchStatus::kFailed: break;
  }
  return "failed";
}

// Microseconds are as fine as a file's time means anything.
std::string Seconds(double seconds) {
  char text[32];
  std::snprintf(text, sizeof text, "%.6f", seconds);
  return text;
}

// The reason in a message "NAME: reason" about `input` or `output`, without
// the name.
std::string ReasonOf(const std::string& message, const std::string& input, const std::string& output) {
  for (const std::string& name : {input, output}) {
    const std::string prefix = Printable(name) + ": ";
    if (!name.empty() && message.rfind(prefix, 0) == 0) return message.substr(prefix.size());
  }
  return message;
}

// `text` as a JSON string: escaped as the messages escape names (Printable),
// then backslashes and quotes escaped for JSON.
std::string JsonString(const std::string& text) {
  std::string json = "\"";
  for (const char c : Printable(text)) {
    if (c == '"' || c == '\\') json += '\\';
    json += c;
  }
  return json + '"';
}

}  // namespace

void BatchTally::Count(BatchStatus status) {
  switch (status) {
    case BatchStatus::kWritten: ++written; return;
    case BatchStatus::kSkipped: ++skipped; return;
    case BatchStatus::kWarning: ++warned; return;
    case BatchStatus::kFailed: ++failed; return;
  }
}

std::string CBatchReport::Open(const std::string& path) {
  if (path.empty()) return "";
  if (path == "-") {
    m_out = &std::cout;
    return "";
  }
  errno = 0;
  m_file.open(path, std::ios::binary | std::ios::trunc);
  if (!m_file) return Printable(path) + ": cannot write the report" + SystemReason(errno);
  m_out = &m_file;
  return "";
}

void CBatchReport::Record(const BatchOutcome& outcome) {
  if (m_out == nullptr) return;
  *m_out << "{\"input\":" << JsonString(outcome.input) << ",\"output\":" << JsonString(outcome.output)
         << ",\"status\":\"" << StatusName(outcome.status) << '"';
  if (!outcome.message.empty()) {
    *m_out << ",\"reason\":" << JsonString(ReasonOf(outcome.message, outcome.input, outcome.output));
  }
  *m_out << ",\"seconds\":" << Seconds(outcome.seconds) << "}\n" << std::flush;
}

void CBatchReport::Summarise(const BatchTally& tally, const BatchEnding& ending) {
  if (m_out == nullptr) return;
  *m_out << "{\"summary\":true,\"inputs\":" << tally.Total() << ",\"written\":" << tally.written
         << ",\"skipped\":" << tally.skipped << ",\"warning\":" << tally.warned << ",\"failed\":" << tally.failed
         << ",\"jobs\":" << ending.jobs << ",\"seconds\":" << Seconds(ending.seconds);
  if (ending.signal != 0) *m_out << ",\"interrupted\":true,\"signal\":" << ending.signal;
  *m_out << "}\n" << std::flush;
}

}  // namespace tamrovi::cli
