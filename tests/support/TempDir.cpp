#include "support/TempDir.h"

#include <cstdint>
#include <filesystem>
#include <random>
#include <stdexcept>
#include <string>

namespace bmptest {

TempDir::TempDir() {
  // A random name, made by create_directory alone, works on every system
  // (POSIX's mkdtemp has no counterpart on Windows).
  std::random_device seed;
  std::mt19937_64 random((std::uint64_t{seed()} << 32) | seed());
  const std::filesystem::path base = std::filesystem::temp_directory_path();
  for (int attempt = 0; attempt < 100; ++attempt) {
    const std::filesystem::path candidate = base / ("bmpfilters-test-" + std::to_string(random()));
    std::error_code failure;
    if (std::filesystem::create_directory(candidate, failure)) {
      const std::u8string utf8 = candidate.generic_u8string();  // test paths are UTF-8
      m_path.assign(utf8.begin(), utf8.end());
      return;
    }
  }
  throw std::runtime_error("cannot create a temporary folder");
}

TempDir::~TempDir() {
  std::error_code ignored;
  std::filesystem::remove_all(std::filesystem::path(std::u8string(m_path.begin(), m_path.end())), ignored);
}

}  // namespace bmptest
