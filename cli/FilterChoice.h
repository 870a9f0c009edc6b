// The FILTER operand: a code the filter table lists, or a filter's name.
#pragma once

#include <cstdint>
#include <string>

namespace tamrovi::cli {

// The code `text` names. False for anything else, with a one-line reason in
// `error`: a code the table does not list is named as such, and a name that
// is not a filter's comes with the nearest names ("did you mean flip?").
bool ChooseFilter(const std::string& text, std::int32_t& code, std::string& error);

}  // namespace tamrovi::cli
