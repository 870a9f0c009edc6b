// describe_bmp: what the library's image object makes of BMP files.
//
//   describe_bmp FILE...
//
// Loads each file into a CBmpImage and prints its size, how its pixels are
// laid out and how many colour-table entries it has; a refused file gets the
// reason instead. Uses the static core (C++20), not the shared library, which
// exports BMPFilters alone.
//
// Build with   c++ -std=c++20 describe_bmp.cpp $(pkg-config --cflags --libs tamrovibmpfilters-core)
// or with the CMake package (see CMakeLists.txt beside this file).
#include <cstring>
#include <iostream>
#include <memory>

#include "image/BmpFormat.h"
#include "image/BmpImage.h"
#include "image/PictureRows.h"

namespace {

// Prints one line about the file at `path`; returns false when it was refused.
bool DescribeFile(const char* path) {
  // The object holds two tables of kMaxRows row pointers; it is made on the
  // heap so that a caller with a small stack can use it too.
  const auto image = std::make_unique<tamrovi::CBmpImage>();
  if (!image->LoadBmp(path)) {
    std::cerr << path << ": " << tamrovi::DescribeReason(image->m_loadError);
    if (image->m_loadSystemError != 0) std::cerr << " (" << std::strerror(image->m_loadSystemError) << ')';
    std::cerr << '\n';
    return false;
  }
  const int bitCount = tamrovi::bmp::ReadU16(image->m_pInfo + tamrovi::bmp::kInfoBitCount);
  std::cout << path << ": " << image->m_width << " x " << image->m_height << " pixels, " << bitCount
            << " bits per pixel, held as "
            << (tamrovi::CPictureRows(*image).IsGray() ? "a byte plane (one byte per pixel)"
                                                      : "colour rows (blue, green, red)")
            << ", stored " << (image->m_isTopDown ? "top" : "bottom") << " row first, " << image->m_nColors
            << " colour-table entries\n";
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::cerr << "usage: describe_bmp FILE...\n";
    return 2;
  }
  int status = 0;
  for (int i = 1; i < argc; ++i) {
    if (!DescribeFile(argv[i])) status = 1;
  }
  return status;
}
