// The command line, split into options and operands. Options may stand before
// or after the operands; "--" ends them.
#pragma once

#include <string>
#include <vector>

namespace tamrovi::cli {

struct CommandLine {
  std::vector<std::string> operands;
  bool help = false;
  bool version = false;
  bool list = false;
  bool keepFormat = false;
  std::string plotPath;  // histogram --plot
  int jobs = 0;          // batch --jobs; 0 = one per core
  std::string error;     // non-empty when the line could not be understood
};

CommandLine ParseCommandLine(int argc, const char* const* argv);

}  // namespace tamrovi::cli
