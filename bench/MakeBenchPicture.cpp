// make_bench_picture OUT.bmp [WIDTH HEIGHT] [8]: writes the benchmarks' picture
// to a file, for the whole-process comparisons in compare.sh.
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <string>

#include "bench/BenchPictures.h"

int main(int argc, char** argv) {
  if (argc != 2 && argc != 4 && argc != 5) {
    std::cerr << "usage: make_bench_picture OUT.bmp [WIDTH HEIGHT] [8]\n";
    return 2;
  }
  bench::PictureSize size = bench::kLarge;
  if (argc >= 4) size = {std::atoi(argv[2]), std::atoi(argv[3])};
  if (size.width <= 0 || size.height <= 0) {
    std::cerr << "make_bench_picture: width and height must be positive\n";
    return 2;
  }
  const auto kind = argc == 5 && std::string(argv[4]) == "8" ? bench::PictureKind::kGray8 : bench::PictureKind::kColour24;
  std::error_code failure;
  std::filesystem::copy_file(bench::PicturePath(kind, size), argv[1], std::filesystem::copy_options::overwrite_existing,
                             failure);
  if (failure) {
    std::cerr << argv[1] << ": " << failure.message() << '\n';
    return 1;
  }
  return 0;
}
