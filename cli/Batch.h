// bmpfilters batch FILTER OUTDIR INPUT...: one filter over many files, on
// every core.
#pragma once

#include <string>
#include <vector>

namespace tamrovi::cli {

struct BatchRequest {
  std::string filter;
  std::string outputDirectory;
  std::vector<std::string> inputs;
  int jobs = 0;  // 0: one per core
  bool keepFormat = false;
};

// Writes one output per input into the output directory, under the input's
// own file name. Prints a progress bar on stderr when it is a terminal, names
// every file that failed, and ends with a one-line summary. Returns an exit
// status: 1 when any file failed.
int RunBatch(const BatchRequest& request);

}  // namespace tamrovi::cli
