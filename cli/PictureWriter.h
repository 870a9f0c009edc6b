// Pictures the tool draws itself (the demo picture, the contact sheet, the
// histogram plot), and the tool's outputs: a file replaced whole, or standard
// output for "-", written by the library's one writer.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "cli/Operands.h"
#include "image/BmpWriter.h"

namespace tamrovi::cli {

struct RgbPicture {
  RgbPicture(std::int32_t pictureWidth, std::int32_t pictureHeight, std::uint8_t fill = 255)
      : width(pictureWidth), height(pictureHeight), bgr(3 * static_cast<std::size_t>(width) * height, fill) {}

  // Pixel (x, y), y = 0 the top row: blue, green, red.
  std::uint8_t* Pixel(std::int32_t x, std::int32_t y) {
    return bgr.data() + 3 * (static_cast<std::size_t>(y) * width + x);
  }
  const std::uint8_t* Pixel(std::int32_t x, std::int32_t y) const {
    return bgr.data() + 3 * (static_cast<std::size_t>(y) * width + x);
  }

  // Paints the box of `boxWidth` x `boxHeight` pixels with its top-left at
  // (left, top) in colour `colour`; pixels outside the picture are left out.
  void Fill(std::int32_t left, std::int32_t top, std::int32_t boxWidth, std::int32_t boxHeight,
            const std::uint8_t (&colour)[3]);

  std::int32_t width;
  std::int32_t height;
  std::vector<std::uint8_t> bgr;
};

// Opens `output` ("-": standard output), writes it with `write` (a function
// of a CByteSink returning a CResult) and commits it: a file is replaced
// whole or not at all (COutputFile).
template <typename Write>
CResult WriteOutput(const std::string& output, Write write) {
  COutputFile out;
  const CResult opened = IsStandardStream(output) ? out.OpenStandardOutput() : out.Open(output.c_str());
  if (!opened.Ok()) return opened;
  return CommitOutput(out, write(SinkOf(out)));
}

// `picture` as a 24-bit BMP to `output`, as WriteOutput writes.
CResult WritePicture24(const std::string& output, const RgbPicture& picture);

// The gray level of every pixel as an 8-bit BMP with a gray palette (entry i
// is (i, i, i)), as WriteOutput writes.
CResult WritePictureGray8(const std::string& output, const RgbPicture& picture);

}  // namespace tamrovi::cli
