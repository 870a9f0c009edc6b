// bmpfilters demo [DIR]: the built-in picture through every filter.
#pragma once

#include <string>

#include "cli/PictureWriter.h"

namespace tamrovi::cli {

// Draws the built-in test picture: colour gradients, dark shapes, thin lines
// and noise, so every filter has something to show.
RgbPicture DrawDemoPicture();

// Writes the picture as a 24-bit and an 8-bit gray file into `directory`, the
// output of every filter code for both, and a contact sheet of them all.
// Prints what it wrote; returns an exit status.
int RunDemo(const std::string& directory);

}  // namespace tamrovi::cli
