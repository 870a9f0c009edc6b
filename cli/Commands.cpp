#include "cli/Commands.h"

#include <charconv>
#include <cstring>
#include <iostream>

#include "entry/FilterTable.h"
#include "image/BmpImage.h"

namespace tamrovi::cli {
namespace {

std::string RefusalMessage(const std::string& path, const CBmpImage& image) {
  std::string message = path + ": " + DescribeLoadError(image.m_loadError);
  if (image.m_loadSystemError != 0 && (image.m_loadError == BmpLoadError::kCannotOpen ||
                                       image.m_loadError == BmpLoadError::kReadFailed)) {
    message += std::string(" (") + std::strerror(image.m_loadSystemError) + ")";
  }
  return message;
}

}  // namespace

std::optional<std::int32_t> ParseFilterCode(const std::string& text) {
  std::int32_t code = 0;
  const char* end = text.data() + text.size();
  const auto [last, status] = std::from_chars(text.data(), end, code);
  if (!text.empty() && status == std::errc() && last == end) return code;
  if (const FilterDescriptor* filter = FindFilterByName(text)) return filter->code;
  return std::nullopt;
}

bool LoadInput(CBmpImage& image, const std::string& input, std::string& error) {
  if (image.LoadBmp(input.c_str())) return true;
  error = RefusalMessage(input, image);
  return false;
}

bool SaveOutput(const CBmpImage& image, const std::string& output, bool keepFormat, std::string& error) {
  // The byte plane is changed in place inside the file image, so writing that
  // image keeps the picture's own format; colour rows live outside it.
  const bool writeFileImage = keepFormat && image.m_is24Bit == 0;
  const int written = writeFileImage ? image.SaveDib(output.c_str()) : image.SaveBmp24(output.c_str());
  if (written) return true;
  error = output + ": cannot create or write the output file";
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
  const std::optional<std::int32_t> code = ParseFilterCode(filter);
  if (!code) {
    std::cerr << "bmpfilters: unknown filter '" << filter << "' (see bmpfilters --list)\n";
    return kExitUsage;
  }
  std::string error;
  if (!FilterFile(input, output, *code, keepFormat, error)) {
    std::cerr << error << '\n';
    return kExitFailed;
  }
  return kExitOk;
}

int RunListCommand() {
  for (const FilterDescriptor& filter : FilterTable()) {
    std::cout << filter.code << '\t' << filter.name << '\t' << filter.summary << '\n';
  }
  std::cout << "any other code writes the picture as read\n";
  return kExitOk;
}

}  // namespace tamrovi::cli
