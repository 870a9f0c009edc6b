// bmpfilters demo [DIR]: the built-in picture through every filter.
#pragma once

#include <string>

namespace tamrovi::cli {

// Writes the picture as a 24-bit and an 8-bit gray file into `directory`, the
// output of every filter code for both, and a contact sheet of them all.
// Prints what it wrote; returns an exit status.
int RunDemo(const std::string& directory);

}  // namespace tamrovi::cli
