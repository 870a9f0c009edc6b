#include "bench/BenchPictures.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <unistd.h>

#include "image/BmpWriter.h"

namespace bench {
namespace {

std::uint8_t Level(std::int32_t x, std::int32_t y, std::uint32_t& noise) {
  noise = noise * 1664525u + 1013904223u;
  const std::int32_t dx = x % 200 - 100;
  const std::int32_t dy = y % 200 - 100;
  if (dx * dx + dy * dy < 40 * 40) return static_cast<std::uint8_t>(noise >> 28);  // dark discs
  if ((x + y) % 97 == 0) return 20;                                                 // thin lines
  if (y % 400 > 350) return static_cast<std::uint8_t>(noise >> 24);                 // noise bands
  return static_cast<std::uint8_t>(150 + (x * 105) / 1600);                         // a gradient
}

std::vector<std::uint8_t> Encode(PictureKind kind, PictureSize size) {
  const int bits = kind == PictureKind::kColour24 ? 24 : 8;
  const std::int32_t colours = kind == PictureKind::kColour24 ? 0 : 256;
  std::uint8_t headers[tamrovi::bmp::kHeadersSize];
  tamrovi::bmp::BuildHeaders(size.width, size.height, bits, colours, headers);
  std::vector<std::uint8_t> bytes(headers, headers + sizeof headers);
  for (int i = 0; i < colours; ++i) bytes.insert(bytes.end(), {std::uint8_t(i), std::uint8_t(i), std::uint8_t(i), 0});
  const auto stride = static_cast<std::size_t>(tamrovi::bmp::RowStride(size.width, bits));
  std::uint32_t noise = 1;
  for (std::int32_t y = size.height - 1; y >= 0; --y) {
    const std::size_t rowStart = bytes.size();
    for (std::int32_t x = 0; x < size.width; ++x) {
      const std::uint8_t level = Level(x, y, noise);
      if (bits == 8) {
        bytes.push_back(level);
      } else {
        // Colour that is not gray: blue, green and red differ.
        bytes.insert(bytes.end(), {level, static_cast<std::uint8_t>(level / 2 + 60), static_cast<std::uint8_t>(255 - level)});
      }
    }
    bytes.resize(rowStart + stride, 0);
  }
  return bytes;
}

}  // namespace

const std::string& PicturePath(PictureKind kind, PictureSize size) {
  static std::map<std::tuple<int, int, int>, std::string> paths;
  const auto key = std::make_tuple(static_cast<int>(kind), size.width, size.height);
  if (auto found = paths.find(key); found != paths.end()) return found->second;
  static const std::filesystem::path folder = [] {
    const auto made = std::filesystem::temp_directory_path() / ("bmpfilters-bench-" + std::to_string(::getpid()));
    std::filesystem::create_directories(made);
    std::atexit([] {
      std::error_code ignored;
      std::filesystem::remove_all(std::filesystem::temp_directory_path() /
                                      ("bmpfilters-bench-" + std::to_string(::getpid())),
                                  ignored);
    });
    return made;
  }();
  const std::string path = (folder / ((kind == PictureKind::kColour24 ? "colour-" : "gray-") +
                                      std::to_string(size.width) + "x" + std::to_string(size.height) + ".bmp"))
                               .string();
  const std::vector<std::uint8_t> bytes = Encode(kind, size);
  std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  return paths.emplace(key, path).first->second;
}

std::int64_t PictureBytes(PictureKind kind, PictureSize size) {
  return std::int64_t{size.width} * size.height * (kind == PictureKind::kColour24 ? 3 : 1);
}

}  // namespace bench
