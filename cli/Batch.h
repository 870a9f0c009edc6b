// bmpfilters batch FILTER OUTDIR [INPUT...]: one filter over many files, on
// the processors this process may use, on one machine or split across many.
#pragma once

#include <span>
#include <string>

#include "cli/Arguments.h"
#include "cli/Commands.h"

namespace tamrovi::cli {

// `operands` are FILTER OUTDIR [INPUT...], the batch options are those of
// `line` (--jobs, --recursive, --files-from, --shard, --report, ...), and
// `options` says how each file is read and written.
//
// Writes one output per input into the output directory: under the input's
// file name, or with --recursive under its path relative to its operand.
// Names each file that fails on standard error as it fails, records each
// input in the report as it finishes, shows progress, and ends with a
// one-line summary (on standard error when the report takes standard
// output). Returns an exit status: 1 when any file failed.
int RunBatch(const CommandLine& line, std::span<const std::string> operands, const FilterOptions& options);

}  // namespace tamrovi::cli
