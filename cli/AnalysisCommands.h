// The analysis forms of the tool: the gray histogram and Gaussian smoothing.
#pragma once

#include <string>

#include "cli/Commands.h"
#include "cli/Messages.h"

namespace tamrovi::cli {

// A sigma from its text: a decimal number from kMinSigma to kMaxSigma.
// Anything else is refused, even surrounding spaces.
CChecked<double> ChooseSigma(const std::string& text);

// bmpfilters histogram INPUT [--plot OUT.bmp]: prints "level,count" and then
// one line "L,C" for each gray level L from 0 to 255; with a plot path, also
// draws the histogram there as a 24-bit bar chart (written before anything is
// printed, so a failed plot prints nothing). A plot path of "-" puts the
// chart on standard output, and then the counts are not printed. The input is
// read as LoadInput reads it: a file that ends early is counted with its
// missing rows black, and a line on standard error says so.
int RunHistogramCommand(const std::string& input, const std::string& plotPath, const InputOptions& options);

// bmpfilters smooth INPUT OUTPUT SIGMA: the picture smoothed with a Gaussian
// of standard deviation SIGMA, written 24-bit (or, with options.keepFormat,
// an 8-bit picture as 8-bit).
int RunSmoothCommand(const std::string& input, const std::string& output, const std::string& sigma,
                     const FilterOptions& options);

}  // namespace tamrovi::cli
