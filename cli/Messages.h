// Pieces of the tool's one-line messages.
#pragma once

#include <string>

namespace tamrovi::cli {

// `text` (a file name, a filter name, a number as typed) made safe to print:
// control characters and bytes that are not UTF-8 are shown as escapes such
// as \n, \r, \t and \x1b, so that a name can neither break a message into two
// lines nor drive the terminal.
std::string Printable(const std::string& text);

// " (the system's reason)", or nothing when `systemError` is 0.
std::string SystemReason(int systemError);

// The answer of a usage check that yields a value: the one-line reason it
// refuses, "" when it accepts, and then the value. A check that yields
// nothing answers with the reason alone.
template <typename T>
struct CChecked {
  std::string refusal;
  T value{};
};

}  // namespace tamrovi::cli
