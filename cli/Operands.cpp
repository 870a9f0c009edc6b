#include "cli/Operands.h"

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#if defined(_WIN32)
#include <fcntl.h>
#include <io.h>
#include <windows.h>
#else
#include <unistd.h>
#endif

#include "cli/Arguments.h"
#include "cli/Messages.h"
#include "image/BmpImage.h"

namespace tamrovi::cli {
namespace {

// Standard input as the loader reads it: each read as large as asked, the
// system's error number kept in the int `context` points to when one fails.
std::int64_t ReadStandardInput(void* context, std::uint8_t* buffer, std::int64_t count) noexcept {
  errno = 0;
  const std::size_t got = std::fread(buffer, 1, static_cast<std::size_t>(count), stdin);
  if (got == 0 && std::ferror(stdin)) {
    *static_cast<int*>(context) = errno != 0 ? errno : EIO;
    return -1;
  }
  return static_cast<std::int64_t>(got);
}

const char* const kOtherFormats[][2] = {
    {".png", "PNG"},   {".jpg", "JPEG"}, {".jpeg", "JPEG"}, {".gif", "GIF"},  {".tif", "TIFF"},
    {".tiff", "TIFF"}, {".webp", "WebP"}, {".ppm", "PPM"},  {".pgm", "PGM"},   {".pnm", "PNM"},
    {".tga", "TGA"},   {".ico", "ICO"},   {".heic", "HEIC"}, {".avif", "AVIF"}, {".jxl", "JPEG XL"},
};

}  // namespace

bool IsStandardStream(const std::string& operand) { return operand == "-"; }

std::string InputName(const std::string& input) { return IsStandardStream(input) ? "standard input" : input; }

std::string OutputName(const std::string& output) { return IsStandardStream(output) ? "standard output" : output; }

CResult LoadStandardInput(CBmpImage& image, const CLoadLimits& limits) {
#if defined(_WIN32)
  ::_setmode(::_fileno(stdin), _O_BINARY);  // text mode would turn CR LF into LF and stop at Ctrl+Z
#endif
  int systemError = 0;
  if (image.LoadBmpFromStream({ReadStandardInput, &systemError}, limits)) return {};
  if (systemError != 0) return {Reason::kReadFailed, systemError};
  return image.LoadResult();
}

std::string TerminalRefusal(const std::string& output) {
#if defined(_WIN32)
  DWORD mode = 0;  // _isatty would take NUL, a character device, for a terminal
  const bool terminal = ::GetConsoleMode(::GetStdHandle(STD_OUTPUT_HANDLE), &mode) != 0;
#else
  const bool terminal = ::isatty(STDOUT_FILENO) != 0;
#endif
  if (!IsStandardStream(output) || !terminal) return "";
  return "standard output: it is a terminal, where a picture would show as noise (redirect it to a file, e.g. > out.bmp, "
         "or pipe it to another program)";
}

std::string ForeignFormatRefusal(const std::string& output) {
  const std::string name = AsciiLowerCase(output);
  for (const auto& [extension, format] : kOtherFormats) {
    const std::size_t length = std::strlen(extension);
    if (name.size() <= length || name.compare(name.size() - length, length, extension) != 0) continue;
    const std::string stem = output.substr(0, output.size() - length);
    const std::string shown = Printable(output);
    const std::string shownStem = Printable(stem);
    return shown + ": the name says " + format + ", but bmpfilters writes BMP only (write " + shownStem +
           ".bmp and convert it, e.g. convert " + shownStem + ".bmp " + shown + "; or give --force)";
  }
  return "";
}

}  // namespace tamrovi::cli
