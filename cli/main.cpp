// bmpfilters: the library's filters from the command line.
#include <iostream>
#include <string>

#include "cli/AnalysisCommands.h"
#include "cli/Arguments.h"
#include "cli/Batch.h"
#include "cli/Commands.h"
#include "cli/Demo.h"
#include "cli/Interruption.h"
#include "module/ModuleVersion.h"

namespace {

constexpr char kUsage[] =
    "usage: bmpfilters [--keep-format] INPUT OUTPUT FILTER\n"
    "       bmpfilters batch [--jobs N] [--keep-format] FILTER OUTDIR INPUT...\n"
    "       bmpfilters histogram INPUT [--plot OUT.bmp]\n"
    "       bmpfilters smooth [--keep-format] INPUT OUTPUT SIGMA\n"
    "       bmpfilters demo [DIR]\n"
    "       bmpfilters --list | --help | --version\n"
    "\n"
    "Reads the BMP file INPUT, applies FILTER and writes OUTPUT as a 24-bit BMP,\n"
    "exactly as one BMPFilters call does. FILTER is a code or a name:\n"
    "  none 0, outline 1, roberts 2, laplace 3, whiten-dark 4 (and 6), flip 5, window 7;\n"
    "any other code writes the picture as read.\n"
    "\n"
    "  batch FILTER OUTDIR INPUT...\n"
    "                 filter many files, one output each in OUTDIR under the input's\n"
    "                 name, on every core (--jobs N to choose); exit 1 if any failed\n"
    "  histogram INPUT\n"
    "                 print how many pixels have each gray level, as CSV: a line\n"
    "                 \"level,count\", then \"L,C\" for L from 0 to 255; --plot OUT.bmp\n"
    "                 also draws them as a bar chart\n"
    "  smooth INPUT OUTPUT SIGMA\n"
    "                 blur with a Gaussian of standard deviation SIGMA pixels\n"
    "                 (from 1e-150 to 100000)\n"
    "  --keep-format  write a picture from a colour-table file as 8-bit (24-bit, with\n"
    "                 a note, when the result has more than 256 colours)\n"
    "  demo [DIR]     draw the built-in picture into DIR (default demo-out), run\n"
    "                 every filter on its 24-bit and 8-bit forms, and make a contact sheet\n"
    "  --list         list the filter codes\n"
    "  --help         show this text\n"
    "  --version      show the version\n"
    "\n"
    "Exit status: 0 done, 1 a file was refused or could not be written, 2 usage error.\n";

int UsageError(const std::string& message) {
  std::cerr << "bmpfilters: " << message << '\n' << kUsage;
  return tamrovi::cli::kExitUsage;
}

}  // namespace

int main(int argc, char** argv) {
  using namespace tamrovi::cli;
  const CommandLine line = ParseCommandLine(argc, argv);
  if (!line.error.empty()) return UsageError(line.error);
  if (line.help) {
    std::cout << kUsage;
    return kExitOk;
  }
  if (line.version) {
    std::cout << "bmpfilters " << tamrovi::module::kDottedVersion << " (" << tamrovi::module::kFileDescription
              << ", file version " << tamrovi::module::kFileVersion << ")\n";
    return kExitOk;
  }
  if (line.list) return RunListCommand();
  EndCleanlyOnInterruption();

  const auto& operands = line.operands;
  if (!operands.empty() && operands[0] == "demo" && operands.size() <= 2) {
    return RunDemo(operands.size() == 2 ? operands[1] : "demo-out");
  }
  if (!operands.empty() && operands[0] == "batch" && operands.size() >= 4) {
    BatchRequest request{operands[1], operands[2], {operands.begin() + 3, operands.end()}, line.jobs, line.keepFormat};
    return RunBatch(request);
  }
  // A file named like a command is given as ./histogram or ./smooth.
  if (!operands.empty() && operands[0] == "histogram") {
    if (operands.size() != 2) return UsageError("expected histogram INPUT [--plot OUT.bmp]");
    if (line.keepFormat) return UsageError("--keep-format does not go with histogram");
    return RunHistogramCommand(operands[1], line.plotPath);
  }
  if (!line.plotPath.empty()) return UsageError("--plot goes with histogram only");
  if (!operands.empty() && operands[0] == "smooth") {
    if (operands.size() != 4) return UsageError("expected smooth INPUT OUTPUT SIGMA");
    return RunSmoothCommand(operands[1], operands[2], operands[3], line.keepFormat);
  }
  if (operands.size() != 3) return UsageError("expected INPUT OUTPUT FILTER");
  return RunFilterCommand(operands[0], operands[1], operands[2], line.keepFormat);
}
