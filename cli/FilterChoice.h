// The FILTER operand: a code the filter table lists, or a filter's name.
#pragma once

#include <cstdint>
#include <string>

#include "cli/Messages.h"

namespace tamrovi::cli {

// The code `text` names. Anything else is refused: a code the table does
// not list is named as such, and a name that is not a filter's comes with
// the nearest names ("did you mean flip?").
CChecked<std::int32_t> ChooseFilter(const std::string& text);

}  // namespace tamrovi::cli
