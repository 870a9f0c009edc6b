#include "cli/Commands.h"

#include <cerrno>
#include <iostream>

#include "cli/FilterChoice.h"
#include "cli/Messages.h"
#include "cli/Operands.h"
#include "cli/PictureWriter.h"
#include "entry/FilterTable.h"
#include "image/BmpImage.h"

namespace tamrovi::cli {
namespace {

// The reason of a picture beyond the limits, with the limit it passed and
// the option that moves it; "" for every other reason.
std::string LimitReason(Reason error, const CLoadLimits& limits) {
  switch (error) {
    case Reason::kTooManyPixels:
      return "picture too large (more than " + std::to_string(limits.maxPixels) +
             " pixels; --max-pixels N raises the limit)";
    case Reason::kTooTall: return "picture too tall (more than " + std::to_string(limits.maxRows) + " rows)";
    case Reason::kTooWide:
      return "picture too wide (more than " + std::to_string(limits.maxWidth) + " columns)";
    default: return "";
  }
}

// How a picture of another format can still be filtered.
std::string ConversionHint(Reason error, const std::string& input) {
  if (error != Reason::kPngFile && error != Reason::kJpegFile && error != Reason::kGifFile) {
    return "";
  }
  const std::string name = IsStandardStream(input) ? "photo.png" : Printable(input);
  return " (convert it to BMP first, e.g. convert " + name + " bmp:- | bmpfilters - out.bmp flip)";
}

}  // namespace

std::string FailureMessage(const std::string& operand, const CResult& result, const CLoadLimits& limits) {
  const int systemError = result.systemError;
  if (result.reason == Reason::kCannotWrite) {
    if (IsStandardStream(operand)) return "standard output: cannot write" + SystemReason(systemError);
    return Printable(operand) + ": cannot write the output file" + SystemReason(systemError);
  }
  if (IsStandardStream(operand) && result.reason == Reason::kReadFailed && systemError != 0) {
    return "standard input: cannot read it" + SystemReason(systemError);
  }
  const std::string limitReason = LimitReason(result.reason, limits);
  std::string message = Printable(InputName(operand)) + ": " +
                        (limitReason.empty() ? DescribeReason(result.reason) : limitReason) +
                        ConversionHint(result.reason, operand);
  if (result.reason == Reason::kNotRegularFile && systemError != EISDIR) {
    // A pipe or a device could feed bytes without end: only standard input is
    // read as a stream, and only as far as its picture needs.
    message += " (a pipe or device: give - to read standard input)";
  } else {
    message += SystemReason(systemError);
  }
  return message;
}

int UsageError(const std::string& message) {
  std::cerr << "bmpfilters: " << message << "\ntry 'bmpfilters --help'\n";
  return kExitUsage;
}

InputOptions InputOptionsOf(const CommandLine& line) {
  InputOptions options;
  if (line.maxPixels > 0) options.limits.maxPixels = line.maxPixels;
  options.strict = line.strict;
  return options;
}

bool LoadInput(CBmpImage& image, const std::string& input, const InputOptions& options, FileOutcome& outcome) {
  const CResult loaded = IsStandardStream(input) ? LoadStandardInput(image, options.limits)
                        : image.LoadBmp(input.c_str(), options.limits) != 0 ? CResult{} : image.LoadResult();
  if (!loaded.Ok()) {
    outcome.error = FailureMessage(input, loaded, options.limits);
    return false;
  }
  if (image.m_missingRows == 0) return true;
  const std::string shortfall = Printable(InputName(input)) + ": the file ends early: " +
                                std::to_string(image.m_missingRows) + " of " + std::to_string(image.m_height) +
                                " rows are missing";
  if (options.strict) {
    outcome.error = shortfall + " (refused: --strict)";
    image.Clear();
    return false;
  }
  outcome.warning = shortfall + " (read as black; --strict refuses such a file)";
  return true;
}

bool SaveOutput(const CBmpImage& image, const std::string& output, bool keepFormat, FileOutcome& outcome) {
  bool tooManyColours = false;
  const CResult written = WriteOutput(output, [&](const CByteSink& out) {
    return keepFormat ? WriteKeepingFormat(image, out, tooManyColours) : WriteBmp24(image, out);
  });
  if (!written.Ok()) {
    outcome.error = FailureMessage(output, written);
    outcome.warning.clear();
    return false;
  }
  if (tooManyColours) {
    outcome.note = Printable(OutputName(output)) +
                   ": the result has more than 256 colours, too many for a colour table; written as 24-bit";
  }
  return true;
}

bool FilterFile(const std::string& input, const std::string& output, std::int32_t code,
                const FilterOptions& options, FileOutcome& outcome) {
  CBmpImage image;
  if (!LoadInput(image, input, options.input, outcome)) return false;
  if (!ApplyFilterCode(image, code).Ok()) {
    outcome.error = Printable(InputName(input)) + ": out of memory (the filter could not run; nothing was written)";
    return false;
  }
  return SaveOutput(image, output, options.keepFormat, outcome);
}

int ReportOutcome(const FileOutcome& outcome) {
  if (!outcome.note.empty()) std::cerr << outcome.note << '\n';
  if (!outcome.warning.empty()) std::cerr << outcome.warning << '\n';
  if (outcome.error.empty()) return kExitOk;
  std::cerr << outcome.error << '\n';
  return kExitFailed;
}

int RunFilterCommand(const std::string& input, const std::string& output, const std::string& filter,
                     const FilterOptions& options) {
  const CChecked<std::int32_t> code = ChooseFilter(filter);
  if (!code.refusal.empty()) return UsageError(code.refusal);
  FileOutcome outcome;
  FilterFile(input, output, code.value, options, outcome);
  return ReportOutcome(outcome);
}

int RunListCommand() {
  for (const FilterDescriptor& filter : FilterTable()) {
    std::cout << filter.code << '\t' << filter.name << '\t' << filter.summary << '\n';
  }
  std::cout << "the tool refuses other codes; the library writes the picture as read\n";
  return kExitOk;
}

}  // namespace tamrovi::cli
