// What the tool does for each form of its command line.
#pragma once

#include <cstdint>
#include <string>

#include "cli/Arguments.h"
#include "image/LoadLimits.h"
#include "platform/Result.h"

namespace tamrovi {
class CBmpImage;
}

namespace tamrovi::cli {

// Exit statuses.
inline constexpr int kExitOk = 0;
inline constexpr int kExitFailed = 1;  // a file was refused or could not be written
inline constexpr int kExitUsage = 2;

// Prints "bmpfilters: MESSAGE" and where to read the usage; returns kExitUsage.
int UsageError(const std::string& message);

// How the tool reads an input, from --max-pixels and --strict.
struct InputOptions {
  // Any width and height, up to kDefaultMaxPixels or the --max-pixels given.
  CLoadLimits limits = kWideLimits;
  // A file that ends before its last row is refused rather than read with
  // its missing rows black.
  bool strict = false;
};

// The options of `line` that every form reading an input takes.
InputOptions InputOptionsOf(const CommandLine& line);

// What became of one input: written, written with a warning, or failed.
struct FileOutcome {
  std::string warning;  // "INPUT: the file ends early: N of H rows are missing (...)", or ""
  std::string note;     // what SaveOutput noted about the output, or ""
  std::string error;    // the one-line reason the input failed, or "" when it was written
};

// Loads `input` ("-": standard input) into `image` within `options`' limits:
// a picture beyond them is refused from its headers, before its pixels are
// read. A file that ends early loads with its missing rows black and a line
// in `outcome.warning`; under options.strict it is refused instead. On
// refusal returns false with a one-line reason in `outcome.error`.
bool LoadInput(CBmpImage& image, const std::string& input, const InputOptions& options, FileOutcome& outcome);

// Writes a loaded picture to `output` ("-": standard output) as a 24-bit BMP,
// exactly as BMPFilters writes. With `keepFormat` a picture read from a
// colour-table file (1, 2, 4 or 8 bits, run-length coded or not) is written
// as an uncompressed 8-bit file showing the same pixels: a gray-byte picture
// as its own file image (header and colour table as read), any other with a
// colour table of its own colours; one with more than 256 colours is written
// 24-bit, and `outcome.note` gets a line saying so. Returns true when the
// output was written; false with a one-line reason in `outcome.error` (and
// `outcome.warning` cleared: the failure is the news).
bool SaveOutput(const CBmpImage& image, const std::string& output, bool keepFormat, FileOutcome& outcome);

// The one line that reports `result`, a failure on the file `operand` ("-"
// for standard input or output): "OUTPUT: cannot write the output file (the
// system's reason)", "standard output: cannot write (...)", "standard input:
// cannot read it (...)", or an input's refusal, naming the limit it passed.
std::string FailureMessage(const std::string& operand, const CResult& result,
                           const CLoadLimits& limits = kExportLimits);

// Everything FilterFile takes besides its files and its filter.
struct FilterOptions {
  InputOptions input;
  bool keepFormat = false;
};

// Loads `input` as LoadInput does, applies filter `code` and writes `output`
// exactly as one BMPFilters call does, but for pictures of any size within
// the options' limits; a refused input, or a filter that could not run for
// want of memory, writes nothing. With `keepFormat` the output is written as
// SaveOutput writes it. Returns true when the output was written (with
// `outcome.warning` set when the input ended early); false with a one-line
// reason in `outcome.error`.
bool FilterFile(const std::string& input, const std::string& output, std::int32_t code,
                const FilterOptions& options, FileOutcome& outcome);

// Prints an outcome's note and warning, then its error, one line each on
// standard error; returns the exit status: kExitOk when there is no error.
int ReportOutcome(const FileOutcome& outcome);

// bmpfilters INPUT OUTPUT FILTER
int RunFilterCommand(const std::string& input, const std::string& output, const std::string& filter,
                     const FilterOptions& options);

// bmpfilters --list
int RunListCommand();

}  // namespace tamrovi::cli
