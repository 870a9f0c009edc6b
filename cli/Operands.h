// What an operand names: a file, or with "-" standard input or output.
#pragma once

#include <string>

#include "platform/Result.h"

namespace tamrovi {
class CBmpImage;
struct CLoadLimits;
}

namespace tamrovi::cli {

// "-" as an input reads standard input; as an output, writes standard output.
bool IsStandardStream(const std::string& operand);

// How messages name an operand: its path, or "standard input" / "standard output".
std::string InputName(const std::string& input);
std::string OutputName(const std::string& output);

// Loads standard input as LoadBmp loads a file of the same bytes, within
// `limits`: its headers first, refused at once when the picture is beyond
// them; then no more of it than the picture needs. A failure to read is
// kReadFailed with the system's error number; a refusal is the image's own.
CResult LoadStandardInput(CBmpImage& image, const CLoadLimits& limits);

// When the output is standard output and that is a terminal, the reason to
// refuse it: a picture there is noise that can drive the terminal; else "".
std::string TerminalRefusal(const std::string& output);

// When the output's name ends in the extension of another picture format
// (out.png, out.jpg, ...), the reason to refuse it: the tool writes BMP only;
// else "".
std::string ForeignFormatRefusal(const std::string& output);

}  // namespace tamrovi::cli
