#include "cli/Operands.h"

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <new>
#include <vector>
#if defined(_WIN32)
#include <fcntl.h>
#include <io.h>
#include <windows.h>
#else
#include <unistd.h>
#endif

#include "cli/Arguments.h"
#include "cli/Messages.h"
#include "image/BmpFormat.h"
#include "image/BmpImage.h"
#include "platform/OutputFile.h"

namespace tamrovi::cli {
namespace {

// The loader refuses files of 2 GiB or more; a stream that reaches this
// length is refused as such a file without being held any longer.
constexpr std::size_t kLongestInput = INT32_MAX;

// Reads standard input to its end, or until kLongestInput bytes, or only its
// first read when that does not start with the BMP signature: no more is
// needed to refuse it, and a stream of zeros is not held up to 2 GiB for
// that. Returns the system's error number, 0 when the stream was read.
int ReadStandardInputBytes(std::vector<std::uint8_t>& bytes) {
  constexpr std::size_t kFirstRead = 64 * 1024;
#if defined(_WIN32)
  ::_setmode(::_fileno(stdin), _O_BINARY);  // text mode would turn CR LF into LF and stop at Ctrl+Z
#endif
  std::size_t held = 0;
  while (held < kLongestInput) {
    // Each read fills as much again as has arrived: few reads, no size guessed.
    bytes.resize(std::min(kLongestInput, held + std::max(held, kFirstRead)));
    const std::size_t got = std::fread(bytes.data() + held, 1, bytes.size() - held, stdin);
    held += got;
    if (got == 0 || held < bytes.size() || bmp::ReadU16(bytes.data()) != bmp::kSignature) break;
  }
  bytes.resize(held);
  return std::ferror(stdin) ? (errno != 0 ? errno : EIO) : 0;
}

const char* const kOtherFormats[][2] = {
    {".png", "PNG"},   {".jpg", "JPEG"}, {".jpeg", "JPEG"}, {".gif", "GIF"},  {".tif", "TIFF"},
    {".tiff", "TIFF"}, {".webp", "WebP"}, {".ppm", "PPM"},  {".pgm", "PGM"},   {".pnm", "PNM"},
    {".tga", "TGA"},   {".ico", "ICO"},   {".heic", "HEIC"}, {".avif", "AVIF"}, {".jxl", "JPEG XL"},
};

}  // namespace

bool IsStandardStream(const std::string& operand) { return operand == "-"; }

std::string WritablePath(const std::string& output) {
  return IsStandardStream(output) ? COutputFile::kStandardOutput : output;
}

std::string InputName(const std::string& input) { return IsStandardStream(input) ? "standard input" : input; }

std::string OutputName(const std::string& output) { return IsStandardStream(output) ? "standard output" : output; }

bool LoadStandardInput(CBmpImage& image, std::string& error) {
  std::vector<std::uint8_t> bytes;
  int systemError = 0;
  try {
    errno = 0;
    systemError = ReadStandardInputBytes(bytes);
  } catch (const std::bad_alloc&) {
    error = "standard input: " + std::string(DescribeLoadError(BmpLoadError::kOutOfMemory));
    return false;
  }
  if (systemError != 0) {
    error = "standard input: cannot read it" + SystemReason(systemError);
    return false;
  }
  if (image.LoadBmpFromMemory(bytes.data(), static_cast<std::int64_t>(bytes.size()))) return true;
  error = "standard input: " + std::string(DescribeLoadError(image.m_loadError));
  return false;
}

std::optional<std::string> TerminalRefusal(const std::string& output) {
#if defined(_WIN32)
  DWORD mode = 0;  // _isatty would take NUL, a character device, for a terminal
  const bool terminal = ::GetConsoleMode(::GetStdHandle(STD_OUTPUT_HANDLE), &mode) != 0;
#else
  const bool terminal = ::isatty(STDOUT_FILENO) != 0;
#endif
  if (!IsStandardStream(output) || !terminal) return std::nullopt;
  return "standard output: it is a terminal, where a picture would show as noise (redirect it to a file, e.g. > out.bmp, "
         "or pipe it to another program)";
}

std::optional<std::string> ForeignFormatRefusal(const std::string& output) {
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
  return std::nullopt;
}

}  // namespace tamrovi::cli
