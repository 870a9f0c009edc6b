#include "cli/Commands.h"

#include <cerrno>
#include <iostream>

#include "cli/FilterChoice.h"
#include "cli/Messages.h"
#include "cli/Operands.h"
#include "entry/FilterTable.h"
#include "image/BmpImage.h"
#include "image/PictureColours.h"
#include "image/PictureRows.h"

namespace tamrovi::cli {
namespace {

std::string RefusalMessage(const std::string& path, const CBmpImage& image) {
  std::string message = Printable(path) + ": " + DescribeLoadError(image.m_loadError);
  const int systemError = image.m_loadSystemError;
  if (image.m_loadError == BmpLoadError::kNotRegularFile && systemError != EISDIR) {
    // A pipe or a device could feed bytes without end: only standard input is
    // read as a stream, and read whole.
    message += " (a pipe or device: give - to read standard input)";
  } else {
    message += SystemReason(systemError);
  }
  return message;
}

// A picture read from a colour-table file, written as 8-bit: a gray-byte
// picture as its own file image, with its header and colour table; any other
// with a table of its own colours. With more colours than a table holds it is
// written 24-bit, and `note` says so.
int SaveWithColourTable(const CBmpImage& image, const std::string& output, std::string& note) {
  const std::string path = WritablePath(output);
  if (CPictureRows(image).IsGray()) return image.SaveDib(path.c_str());
  CPictureColours colours;
  if (colours.Collect(CPictureRows(image))) return image.SaveBmp8(path.c_str(), colours);
  const int written = image.SaveBmp24(path.c_str());
  if (written) note = Printable(OutputName(output)) + ": the result has more than 256 colours, too many for a colour table; written as 24-bit";
  return written;
}

}  // namespace

int UsageError(const std::string& message) {
  std::cerr << "bmpfilters: " << message << "\ntry 'bmpfilters --help'\n";
  return kExitUsage;
}

bool LoadInput(CBmpImage& image, const std::string& input, std::string& error) {
  if (IsStandardStream(input)) return LoadStandardInput(image, error);
  if (image.LoadBmp(input.c_str())) return true;
  error = RefusalMessage(input, image);
  return false;
}

bool SaveOutput(const CBmpImage& image, const std::string& output, bool keepFormat, std::string& note,
                std::string& error) {
  const bool keepColourTable = keepFormat && image.m_fileBitCount <= 8;
  const int written =
      keepColourTable ? SaveWithColourTable(image, output, note) : image.SaveBmp24(WritablePath(output).c_str());
  if (written) return true;
  error = OutputFailureMessage(output, image.m_saveSystemError);
  return false;
}

std::string OutputFailureMessage(const std::string& output, int systemError) {
  if (IsStandardStream(output)) return "standard output: cannot write" + SystemReason(systemError);
  return Printable(output) + ": cannot write the output file" + SystemReason(systemError);
}

bool FilterFile(const std::string& input, const std::string& output, std::int32_t code, bool keepFormat,
                std::string& note, std::string& error) {
  CBmpImage image;
  if (!LoadInput(image, input, error)) return false;
  if (!ApplyFilterCode(image, code)) {
    error = Printable(InputName(input)) + ": out of memory (the filter could not run; nothing was written)";
    return false;
  }
  return SaveOutput(image, output, keepFormat, note, error);
}

int RunFilterCommand(const std::string& input, const std::string& output, const std::string& filter,
                     bool keepFormat) {
  std::int32_t code = 0;
  std::string note, error;
  if (!ChooseFilter(filter, code, error)) return UsageError(error);
  const bool written = FilterFile(input, output, code, keepFormat, note, error);
  if (!note.empty()) std::cerr << note << '\n';
  if (!written) {
    std::cerr << error << '\n';
    return kExitFailed;
  }
  return kExitOk;
}

int RunListCommand() {
  for (const FilterDescriptor& filter : FilterTable()) {
    std::cout << filter.code << '\t' << filter.name << '\t' << filter.summary << '\n';
  }
  std::cout << "the tool refuses other codes; the library writes the picture as read\n";
  return kExitOk;
}

}  // namespace tamrovi::cli
