#include "bench/RatioReporter.h"

#include <algorithm>
#include <cstdio>
#include <ostream>

namespace bench {
namespace {

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  const std::size_t middle = values.size() / 2;
  return values.size() % 2 == 1 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

// "operation/24bit/1600x1600" -> "24bit/1600x1600": the picture a figure is about.
std::string PictureOf(const std::string& name) {
  const std::size_t slash = name.find('/');
  return slash == std::string::npos ? std::string() : name.substr(slash + 1);
}

std::string OperationOf(const std::string& name) { return name.substr(0, name.find('/')); }

}  // namespace

void CRatioReporter::ReportRuns(const std::vector<Run>& reports) {
  ConsoleReporter::ReportRuns(reports);
  for (const Run& run : reports) {
    // Only the aggregates reach a reporter when they alone are asked for;
    // their median then stands for the repetitions.
    const bool median = run.run_type == Run::RT_Aggregate && run.aggregate_name == "median";
    if (run.error_occurred || (run.run_type == Run::RT_Aggregate && !median)) continue;
    const std::string name = run.run_name.function_name;
    const double seconds = run.GetAdjustedRealTime() / benchmark::GetTimeUnitMultiplier(run.time_unit);
    if (m_seconds.find(name) == m_seconds.end()) m_order.push_back(name);
    if (median) m_seconds[name].clear();
    m_seconds[name].push_back(seconds);
  }
}

void CRatioReporter::Finalize() {
  ConsoleReporter::Finalize();
  std::ostream& out = GetOutputStream();
  char line[160];
  std::snprintf(line, sizeof line, "%-40s %12s %10s %12s\n", "benchmark", "median ms", "x memcpy", "x faster");
  out << "\nMedians of every repetition, read against the references of this run\n" << line;
  for (const std::string& name : m_order) {
    const double seconds = Median(m_seconds[name]);
    const std::string picture = PictureOf(name);
    char againstCopy[32] = "";
    if (const auto copy = m_seconds.find("memcpy/" + picture); copy != m_seconds.end()) {
      std::snprintf(againstCopy, sizeof againstCopy, "%.2f", seconds / Median(copy->second));
    }
    // GaussianSmooth-1.0/... against ReferenceSmooth-1.0/...
    char speedUp[32] = "";
    const std::string operation = OperationOf(name);
    if (operation.rfind("GaussianSmooth-", 0) == 0) {
      const std::string reference = "ReferenceSmooth-" + operation.substr(15) + "/" + picture;
      if (const auto plain = m_seconds.find(reference); plain != m_seconds.end()) {
        std::snprintf(speedUp, sizeof speedUp, "%.1f", Median(plain->second) / seconds);
      }
    }
    std::snprintf(line, sizeof line, "%-40s %12.3f %10s %12s\n", name.c_str(), seconds * 1e3, againstCopy, speedUp);
    out << line;
  }
  out.flush();
}

}  // namespace bench
