#include "cli/Commands.h"

#include <charconv>
#include <iostream>

#include "cli/Messages.h"
#include "entry/FilterTable.h"
#include "image/BmpImage.h"
#include "image/PictureColours.h"
#include "image/PictureRows.h"

namespace tamrovi::cli {
namespace {

std::string RefusalMessage(const std::string& path, const CBmpImage& image) {
  std::string message = Printable(path) + ": " + DescribeLoadError(image.m_loadError);
  if (image.m_loadError == BmpLoadError::kCannotOpen || image.m_loadError == BmpLoadError::kReadFailed) {
    message += SystemReason(image.m_loadSystemError);
  }
  return message;
}

// A picture read from a colour-table file, written as 8-bit: a gray-byte
// picture as its own file image, with its header and colour table; any other
// with a table of its own colours. With more colours than a table holds it is
// written 24-bit, and `note` says so.
int SaveWithColourTable(const CBmpImage& image, const std::string& output, std::string& note) {
  if (CPictureRows(image).IsGray()) return image.SaveDib(output.c_str());
  CPictureColours colours;
  if (colours.Collect(CPictureRows(image))) return image.SaveBmp8(output.c_str(), colours);
  const int written = image.SaveBmp24(output.c_str());
  if (written) note = output + ": the result has more than 256 colours, too many for a colour table; written as 24-bit";
  return written;
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

bool SaveOutput(const CBmpImage& image, const std::string& output, bool keepFormat, std::string& note,
                std::string& error) {
  const bool keepColourTable = keepFormat && image.m_fileBitCount <= 8;
  const int written = keepColourTable ? SaveWithColourTable(image, output, note) : image.SaveBmp24(output.c_str());
  if (written) return true;
  error = OutputFailureMessage(output, image.m_saveSystemError);
  return false;
}

std::string UnknownFilterMessage(const std::string& filter) {
  return "bmpfilters: unknown filter '" + Printable(filter) + "' (see bmpfilters --list)";
}

std::string OutputFailureMessage(const std::string& output, int systemError) {
  return Printable(output) + ": cannot write the output file" + SystemReason(systemError);
}

bool FilterFile(const std::string& input, const std::string& output, std::int32_t code, bool keepFormat,
                std::string& note, std::string& error) {
  CBmpImage image;
  if (!LoadInput(image, input, error)) return false;
  if (!ApplyFilterCode(image, code)) {
    error = Printable(input) + ": out of memory (the filter could not run; nothing was written)";
    return false;
  }
  return SaveOutput(image, output, keepFormat, note, error);
}

int RunFilterCommand(const std::string& input, const std::string& output, const std::string& filter,
                     bool keepFormat) {
  const std::optional<std::int32_t> code = ParseFilterCode(filter);
  if (!code) {
    std::cerr << UnknownFilterMessage(filter) << '\n';
    return kExitUsage;
  }
  std::string note, error;
  const bool written = FilterFile(input, output, *code, keepFormat, note, error);
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
  std::cout << "any other code writes the picture as read\n";
  return kExitOk;
}

}  // namespace tamrovi::cli
