#include "cli/AnalysisCommands.h"

#include <cerrno>
#include <charconv>
#include <iostream>
#include <sstream>

#include "analysis/GaussianSmooth.h"
#include "analysis/GrayHistogram.h"
#include "cli/Commands.h"
#include "cli/HistogramPlot.h"
#include "cli/Messages.h"
#include "cli/Operands.h"
#include "image/BmpImage.h"

namespace tamrovi::cli {

CChecked<double> ChooseSigma(const std::string& text) {
  double sigma = 0.0;
  const char* end = text.data() + text.size();
  const auto [last, status] = std::from_chars(text.data(), end, sigma);
  if (!text.empty() && status == std::errc() && last == end && IsUsableSigma(sigma)) return {"", sigma};
  std::ostringstream reason;
  reason << "bad sigma '" << Printable(text) << "' (give a number from " << kMinSigma << " to " << kMaxSigma << ")";
  return {reason.str()};
}

int RunHistogramCommand(const std::string& input, const std::string& plotPath, const InputOptions& options) {
  CBmpImage image;
  FileOutcome outcome;
  LoadInput(image, input, options, outcome);
  if (ReportOutcome(outcome) != kExitOk) return kExitFailed;
  std::int32_t counts[kGrayLevels];
  GrayHistogram(image, counts);
  if (!plotPath.empty()) {
    if (const CResult written = WritePicture24(plotPath, DrawHistogramPlot(counts)); !written.Ok()) {
      std::cerr << FailureMessage(plotPath, written) << '\n';
      return kExitFailed;
    }
  }
  // A plot on standard output is all that goes there.
  if (IsStandardStream(plotPath)) return kExitOk;
  std::string table = "level,count\n";
  for (int level = 0; level < kGrayLevels; ++level) {
    table += std::to_string(level) + ',' + std::to_string(counts[level]) + '\n';
  }
  std::cout << table;
  return kExitOk;
}

int RunSmoothCommand(const std::string& input, const std::string& output, const std::string& sigmaText,
                     const FilterOptions& options) {
  const CChecked<double> sigma = ChooseSigma(sigmaText);
  if (!sigma.refusal.empty()) return UsageError(sigma.refusal);
  CBmpImage image;
  FileOutcome outcome;
  if (!LoadInput(image, input, options.input, outcome)) return ReportOutcome(outcome);
  // The sigma and the picture are good, so only memory can be missing.
  if (!GaussianSmooth(image, sigma.value)) {
    std::cerr << Printable(InputName(input)) << ": out of memory (the picture could not be smoothed; nothing was written)\n";
    return kExitFailed;
  }
  SaveOutput(image, output, options.keepFormat, outcome);
  return ReportOutcome(outcome);
}

}  // namespace tamrovi::cli
