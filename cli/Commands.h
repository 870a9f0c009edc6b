// What the tool does for each form of its command line.
#pragma once

#include <cstdint>
#include <string>

namespace tamrovi {
class CBmpImage;
}

namespace tamrovi::cli {

// Exit statuses.
inline constexpr int kExitOk = 0;
inline constexpr int kExitFailed = 1;  // a file was refused or could not be written
inline constexpr int kExitUsage = 2;

// Prints "bmpfilters: MESSAGE" and where to read the usage; returns kExitUsage.
int UsageError(const std::string& message);

// Loads `input` ("-": standard input) into `image`. On refusal returns false
// with a one-line reason in `error`.
bool LoadInput(CBmpImage& image, const std::string& input, std::string& error);

// Writes a loaded picture to `output` ("-": standard output) as a 24-bit BMP,
// exactly as BMPFilters writes. With `keepFormat` a picture read from a
// colour-table file (1, 2, 4 or 8 bits, run-length coded or not) is written
// as an uncompressed 8-bit file showing the same pixels: a gray-byte picture
// as its own file image (header and colour table as read), any other with a
// colour table of its own colours; one with more than 256 colours is written
// 24-bit, and `note` gets a line saying so. On failure returns false with a
// one-line reason in `error`.
bool SaveOutput(const CBmpImage& image, const std::string& output, bool keepFormat, std::string& note,
                std::string& error);

// "OUTPUT: cannot write the output file (the system's reason)", or for "-"
// "standard output: cannot write (the system's reason)": the line for an
// output that could not be written.
std::string OutputFailureMessage(const std::string& output, int systemError);

// Loads `input`, applies filter `code` and writes `output` exactly as one
// BMPFilters call does, except that a refused input, or a filter that could
// not run for want of memory, writes nothing. With `keepFormat` the output is
// written as SaveOutput writes it. On failure returns false with a one-line
// reason in `error`.
bool FilterFile(const std::string& input, const std::string& output, std::int32_t code, bool keepFormat,
                std::string& note, std::string& error);

// bmpfilters INPUT OUTPUT FILTER
int RunFilterCommand(const std::string& input, const std::string& output, const std::string& filter,
                     bool keepFormat);

// bmpfilters --list
int RunListCommand();

}  // namespace tamrovi::cli
