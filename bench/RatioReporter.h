// The console report, followed by a table that reads every figure against its
// reference from the same run: each operation's median time over the median
// time of a memcpy of the same picture, and each smoothing's speed-up over the
// plain reference loop on the same picture and sigma.
#pragma once

#include <benchmark/benchmark.h>

#include <map>
#include <string>
#include <vector>

namespace bench {

class CRatioReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& reports) override;
  void Finalize() override;

 private:
  // Seconds per iteration of every repetition, by benchmark name, in the
  // order the names were first run.
  std::map<std::string, std::vector<double>> m_seconds;
  std::vector<std::string> m_order;
};

}  // namespace bench
