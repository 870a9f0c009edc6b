#include "cli/Commands.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <iostream>

#include "cli/FilterChoice.h"
#include "cli/Operands.h"
#include "entry/FilterTable.h"
#include "image/BmpImage.h"

namespace tamrovi::cli {
namespace {

std::string RefusalMessage(const std::string& path, const CBmpImage& image) {
  std::string message = path + ": " + DescribeLoadError(image.m_loadError);
  const int systemError = image.m_loadSystemError;
  if (image.m_loadError == BmpLoadError::kNotRegularFile && systemError != EISDIR) {
    // A pipe or a device could feed bytes without end: only standard input is
    // read as a stream, and read whole.
    message += " (a pipe or device: give - to read standard input)";
  } else if (systemError != 0) {
    message += std::string(" (") + std::strerror(systemError) + ")";
  }
  return message;
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

bool SaveOutput(const CBmpImage& image, const std::string& output, bool keepFormat, std::string& error) {
  // The byte plane is changed in place inside the file image, so writing that
  // image keeps the picture's own format; colour rows live outside it.
  const bool writeFileImage = keepFormat && image.m_is24Bit == 0;
  errno = 0;
  int written = 0;
  if (IsStandardStream(output)) {
    written = writeFileImage ? image.WriteDib(stdout) : image.WriteBmp24(stdout);
  } else {
    written = writeFileImage ? image.SaveDib(output.c_str()) : image.SaveBmp24(output.c_str());
  }
  if (written) return true;
  error = OutputFailure(output, errno);
  return false;
}

bool FilterFile(const std::string& input, const std::string& output, std::int32_t code, bool keepFormat,
                std::string& error) {
  CBmpImage image;
  if (!LoadInput(image, input, error)) return false;
  ApplyFilterCode(image, code);
  return SaveOutput(image, output, keepFormat, error);
}

int RunFilterCommand(const std::string& input, const std::string& output, const std::string& filter,
                     bool keepFormat) {
  std::int32_t code = 0;
  std::string error;
  if (!ChooseFilter(filter, code, error)) return UsageError(error);
  if (!FilterFile(input, output, code, keepFormat, error)) {
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
