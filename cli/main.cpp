// bmpfilters: the library's filters from the command line.
#include <cerrno>
#include <cstdio>
#include <iostream>
#include <span>
#include <string>
#include <string_view>
#include <utility>

#include "cli/AnalysisCommands.h"
#include "cli/Arguments.h"
#include "cli/Batch.h"
#include "cli/Commands.h"
#include "cli/Demo.h"
#include "cli/Interruption.h"
#include "cli/Operands.h"
#include "module/ModuleVersion.h"

namespace {

using namespace tamrovi::cli;

// The options each form takes; any other option given with it is an error.
enum : unsigned {
  kTakesKeepFormat = 1,
  kTakesJobs = 2,
  kTakesPlot = 4,
  kTakesForce = 8,
  kTakesInputOptions = 16,
  kTakesBatchOptions = 32,
};

struct Form {
  std::string_view command;  // the first operand, "" for the filter form
  const char* syntax;   // what follows the command, as the usage shows it
  std::size_t fewestOperands;
  std::size_t mostOperands;  // after the command
  unsigned options;
};

constexpr std::size_t kNoMost = static_cast<std::size_t>(-1);
constexpr Form kForms[] = {
    {"", "[--keep-format] [--force] [--strict] [--max-pixels N] INPUT OUTPUT FILTER", 3, 3,
     kTakesKeepFormat | kTakesForce | kTakesInputOptions},
    {"batch",
     "[--jobs N] [--keep-format] [--strict] [--max-pixels N] [--recursive] [--files-from LIST [--null]] "
     "[--shard K/N] [--skip-existing] [--report FILE] [--progress] FILTER OUTDIR [INPUT...]",
     2, kNoMost, kTakesJobs | kTakesKeepFormat | kTakesInputOptions | kTakesBatchOptions},
    {"histogram", "[--force] [--strict] [--max-pixels N] INPUT [--plot OUT.bmp]", 1, 1,
     kTakesPlot | kTakesForce | kTakesInputOptions},
    {"smooth", "[--keep-format] [--force] [--strict] [--max-pixels N] INPUT OUTPUT SIGMA", 3, 3,
     kTakesKeepFormat | kTakesForce | kTakesInputOptions},
    {"demo", "[DIR]", 0, 1, 0},
};

constexpr char kDescription[] =
    "\n"
    "Reads the BMP file INPUT, applies FILTER and writes OUTPUT as a 24-bit BMP,\n"
    "exactly as one BMPFilters call does. FILTER is a code or a name:\n"
    "  none 0, outline 1, roberts 2, laplace 3, whiten-dark 4 (and 6), flip 5, window 7.\n"
    "A file named - is standard input as INPUT, standard output as OUTPUT or plot.\n"
    "Pictures of any width and height are read, up to 1073741824 pixels (1G);\n"
    "a file that ends early is filtered with its missing rows black, and a line\n"
    "on standard error says so.\n"
    "\n"
    "  batch FILTER OUTDIR [INPUT...]\n"
    "                 filter many files, one output each in OUTDIR under the input's\n"
    "                 name, on every processor this process may use (--jobs N, at\n"
    "                 most that many); failures are named as they happen; exit 1 if\n"
    "                 any failed. Its options:\n"
    "    --recursive  walk folder operands for *.bmp files; each output keeps its path\n"
    "                 relative to its folder (or, for --files-from, as listed)\n"
    "    --files-from LIST\n"
    "                 also take the inputs named in LIST (- for standard input), one a\n"
    "                 line, or NUL-terminated with --null (find -print0)\n"
    "    --shard K/N  take only shard K (0 to N-1) of the inputs, by a stable hash of\n"
    "                 each one's path relative to its operand: N runs take each once\n"
    "    --skip-existing\n"
    "                 skip an input whose output is there: a rerun resumes a run\n"
    "    --report FILE\n"
    "                 record each input as a JSON line when it finishes (- for standard\n"
    "                 output), then a summary line\n"
    "    --progress   a progress line every 10 seconds where standard error is not a\n"
    "                 terminal (on a terminal it is always shown)\n"
    "  histogram INPUT\n"
    "                 print how many pixels have each gray level, as CSV: a line\n"
    "                 \"level,count\", then \"L,C\" for L from 0 to 255; --plot OUT.bmp\n"
    "                 also draws them as a bar chart (--plot - prints the chart alone)\n"
    "  smooth INPUT OUTPUT SIGMA\n"
    "                 blur with a Gaussian of standard deviation SIGMA pixels\n"
    "                 (from 1e-150 to 100000)\n"
    "  demo [DIR]     draw the built-in picture into DIR (default demo-out), run\n"
    "                 every filter on its 24-bit and 8-bit forms, and make a labelled\n"
    "                 contact sheet\n"
    "  --keep-format  write a picture from a colour-table file as 8-bit (24-bit, with\n"
    "                 a note, when the result has more than 256 colours)\n"
    "  --force        write BMP even to a name that says another format (out.png)\n"
    "  --max-pixels N read pictures of up to N pixels (K, M, G: 1024, 1024^2, 1024^3)\n"
    "  --strict       refuse a file that ends before its last row (exit 1)\n"
    "  --list         list the filter codes\n"
    "  --help         show this text\n"
    "  --version      show the version\n"
    "\n"
    "Exit status: 0 done, 1 a file was refused or could not be written, 2 usage error.\n";

std::string UsageLine(const Form& form) {
  return "bmpfilters " + std::string(form.command) + (form.command.empty() ? "" : " ") + form.syntax;
}

void PrintHelp() {
  const char* lead = "usage: ";
  for (const Form& form : kForms) {
    std::cout << lead << UsageLine(form) << '\n';
    lead = "       ";
  }
  std::cout << lead << "bmpfilters --list | --help | --version\n" << kDescription;
}

const Form& FormOf(const std::vector<std::string>& operands) {
  // A file named like a command is given as ./histogram or ./demo.
  for (const Form& form : std::span(kForms).subspan(1)) {
    if (!operands.empty() && operands[0] == form.command) return form;
  }
  return kForms[0];
}

// The first option given that `form` does not take, or null.
const char* OptionNotTaken(const CommandLine& line, const Form& form) {
  if (line.keepFormat && (form.options & kTakesKeepFormat) == 0) return "--keep-format";
  if (line.jobs != 0 && (form.options & kTakesJobs) == 0) return "--jobs";
  if (!line.plotPath.empty() && (form.options & kTakesPlot) == 0) return "--plot";
  if (line.force && (form.options & kTakesForce) == 0) return "--force";
  if (line.strict && (form.options & kTakesInputOptions) == 0) return "--strict";
  if (line.maxPixels != 0 && (form.options & kTakesInputOptions) == 0) return "--max-pixels";
  if ((form.options & kTakesBatchOptions) != 0) return nullptr;
  const std::pair<bool, const char*> batchOptions[] = {
      {!line.filesFrom.empty(), "--files-from"},
      {line.nullSeparated, "--null"},
      {line.recursive, "--recursive"},
      {line.shardGiven, "--shard"},
      {line.skipExisting, "--skip-existing"},
      {!line.reportPath.empty(), "--report"},
      {line.progress, "--progress"},
  };
  for (const auto& [given, option] : batchOptions) {
    if (given) return option;
  }
  return nullptr;
}

// The reason the operands and options cannot make `form`, or "".
std::string MisuseOf(const CommandLine& line, const Form& form, std::span<const std::string> operands) {
  if (operands.size() < form.fewestOperands || operands.size() > form.mostOperands) {
    return "expected " + UsageLine(form);
  }
  const std::string name = form.command.empty() ? "INPUT OUTPUT FILTER" : std::string(form.command);
  if (const char* option = OptionNotTaken(line, form)) return std::string(option) + " does not go with " + name;
  // A folder operand, or an input of batch, cannot be a stream.
  if (form.command == "demo" && !operands.empty() && IsStandardStream(operands[0])) {
    return "demo writes many files into a folder: - (standard output) cannot hold them";
  }
  if (form.command != "batch") return "";
  if (operands.size() < 3 && line.filesFrom.empty()) return "expected " + UsageLine(form);
  if (line.nullSeparated && line.filesFrom.empty()) return "--null goes with --files-from";
  if (IsStandardStream(operands[1])) return "batch writes many files into a folder: - (standard output) cannot hold them";
  for (const std::string& input : operands.subspan(2)) {
    if (IsStandardStream(input)) return "batch names each output after its input: - (standard input) has no name";
  }
  return "";
}

int RunForm(const CommandLine& line, const Form& form, std::span<const std::string> operands) {
  const FilterOptions options{InputOptionsOf(line), line.keepFormat};
  if (form.command == "batch") return RunBatch(line, operands, options);
  if (form.command == "histogram") return RunHistogramCommand(operands[0], line.plotPath, options.input);
  if (form.command == "smooth") return RunSmoothCommand(operands[0], operands[1], operands[2], options);
  if (form.command == "demo") return RunDemo(operands.empty() ? "demo-out" : operands[0]);
  return RunFilterCommand(operands[0], operands[1], operands[2], options);
}

// The output operands of a form, whose names must say BMP unless forced.
std::vector<std::string> NamedOutputs(const CommandLine& line, const Form& form, std::span<const std::string> operands) {
  if (form.command.empty() || form.command == "smooth") return {operands[1]};
  if (form.command == "histogram" && !line.plotPath.empty()) return {line.plotPath};
  return {};
}

int Run(const CommandLine& line) {
  if (!line.error.empty()) return UsageError(line.error);
  if (line.help) {
    PrintHelp();
    return kExitOk;
  }
  if (line.version) {
    std::cout << "bmpfilters " << tamrovi::module::kDottedVersion << " (the TamroviBMPFilters library, file version "
              << tamrovi::module::kFileVersion << ")\n";
    return kExitOk;
  }
  if (line.list) return RunListCommand();
  EndCleanlyOnInterruption();

  const Form& form = FormOf(line.operands);
  const std::span<const std::string> operands = std::span(line.operands).subspan(form.command.empty() ? 0 : 1);
  if (const std::string misuse = MisuseOf(line, form, operands); !misuse.empty()) return UsageError(misuse);
  for (const std::string& output : NamedOutputs(line, form, operands)) {
    if (const std::string refusal = ForeignFormatRefusal(output); !refusal.empty() && !line.force) {
      return UsageError(refusal);
    }
    if (const std::string refusal = TerminalRefusal(output); !refusal.empty()) {
      std::cerr << refusal << '\n';
      return kExitFailed;
    }
  }
  return RunForm(line, form, operands);
}

}  // namespace

int main(int argc, char** argv) {
  const int status = Run(ParseCommandLine(argc, argv));
  // Whatever went to standard output (a list, a table, a picture) must have
  // arrived: a full disk or a closed pipe is a failure like any other.
  errno = 0;
  if (std::cout.flush() && std::fflush(stdout) == 0 && !std::ferror(stdout)) return status;
  if (status == kExitOk) std::cerr << FailureMessage("-", {tamrovi::Reason::kCannotWrite, errno}) << '\n';
  return status == kExitOk ? kExitFailed : status;
}
