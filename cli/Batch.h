// bmpfilters batch FILTER OUTDIR [INPUT...]: one filter over many files, on
// the processors this process may use, on one machine or split across many.
#pragma once

#include <string>

#include "cli/BatchInputs.h"
#include "cli/BatchShard.h"
#include "cli/Commands.h"

namespace tamrovi::cli {

struct BatchRequest {
  std::string filter;
  std::string outputDirectory;
  BatchSources sources;
  int jobs = 0;  // 0: one per processor available
  FilterOptions options;  // how each file is read (limits, --strict) and written (--keep-format)
  BatchShard shard;
  bool skipExisting = false;
  std::string reportPath;  // "" none, "-" standard output
  bool progress = false;   // progress lines where standard error is not a terminal
};

// Writes one output per input into the output directory: under the input's
// file name, or with --recursive under its path relative to its operand.
// Names each file that fails on standard error as it fails, records each
// input in the report as it finishes, shows progress, and ends with a
// one-line summary (on standard error when the report takes standard
// output). Returns an exit status: 1 when any file failed.
int RunBatch(const BatchRequest& request);

}  // namespace tamrovi::cli
