// The inputs of a batch, produced one at a time: the file operands, the
// *.bmp files under folder operands (with --recursive), then the lines of a
// list (--files-from). Nothing is gathered ahead, so the first file is
// filtered while a long list or a deep folder is still being read, and the
// memory does not grow with their length.
#pragma once

#include <cstddef>
#include <filesystem>
#include <fstream>
#include <istream>
#include <span>
#include <string>

#include "cli/Arguments.h"

namespace tamrovi::cli {

struct BatchInput {
  std::string path;      // as it is opened
  std::string key;       // its path relative to its operand, or as the list gives it
  std::string relative;  // where its output goes under OUTDIR
  std::string error;     // set when the input cannot be taken (a folder, a path out of OUTDIR)
};

class CBatchInputs {
 public:
  // `operands`, then the list of `line` (--files-from); `outputFolder` is
  // not walked: a walk must not take the outputs for inputs.
  CBatchInputs(const CommandLine& line, std::span<const std::string> operands, const std::string& outputFolder);

  // Opens the list, if any; returns the reason it cannot be read, or "".
  std::string Open();

  // The next input; false when there is none left. One caller at a time.
  bool Next(BatchInput& input);

 private:
  bool NextOperand(BatchInput& input);
  bool NextWalked(BatchInput& input);
  bool NextListed(BatchInput& input);
  bool IsOutputFolder(const std::filesystem::directory_entry& entry) const;

  const CommandLine& m_line;
  const std::span<const std::string> m_operands;
  const std::string& m_outputFolder;
  std::size_t m_nextOperand = 0;
  bool m_walking = false;
  std::filesystem::path m_walkRoot;
  std::filesystem::recursive_directory_iterator m_walk;
  std::ifstream m_listFile;
  std::istream* m_list = nullptr;
};

}  // namespace tamrovi::cli
