// Running a program from a test and capturing what it printed.
#pragma once

#include <string>
#include <vector>

namespace bmptest {

struct ProcessResult {
  int exitStatus = -1;  // -1 when it did not exit normally
  std::string out;
  std::string err;
};

// Runs `program` with `arguments` (no shell), standard input read from
// `inputPath` (empty by default), and waits for it.
ProcessResult RunProcess(const std::string& program, const std::vector<std::string>& arguments,
                         const std::string& inputPath = "/dev/null");

}  // namespace bmptest
