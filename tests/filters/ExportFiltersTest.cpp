// Every filter code through the real shared library.
#include <gtest/gtest.h>

#include <dlfcn.h>

#include "support/BmpBuilder.h"
#include "support/ImageFixture.h"
#include "support/TempDir.h"

namespace {

using bmptest::Bytes;
using ExportFunction = std::int32_t (*)(const char16_t*, const char16_t*, std::int32_t);

class ExportFiltersTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    s_library = dlopen(TAMROVI_LIBRARY_PATH, RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(s_library, nullptr) << dlerror();
    s_export = reinterpret_cast<ExportFunction>(dlsym(s_library, "BMPFilters"));
    ASSERT_NE(s_export, nullptr);
  }
  static void TearDownTestSuite() { dlclose(s_library); }

  Bytes Call(const Bytes& input, std::int32_t code) {
    bmptest::WriteFile(dir.File("in.bmp"), input);
    const std::string in = dir.File("in.bmp"), out = dir.File("out.bmp");
    EXPECT_EQ(s_export(std::u16string(in.begin(), in.end()).c_str(), std::u16string(out.begin(), out.end()).c_str(),
                       code),
              999);
    return bmptest::ReadFile(out);
  }

  static inline void* s_library = nullptr;
  static inline ExportFunction s_export = nullptr;
  bmptest::TempDir dir;
};

// Random pixels, every fourth of them near-black, so that each filter has
// something to change.
Bytes Picture(std::size_t bytesPerPixel, std::uint32_t seed) {
  Bytes bytes = bmptest::RandomBytes(bytesPerPixel * 13 * 9, seed);
  for (std::size_t i = 0; i < bytes.size(); i += 4 * bytesPerPixel) {
    for (std::size_t b = i; b < i + bytesPerPixel; ++b) bytes[b] /= 32;
  }
  return bytes;
}

const Bytes kPictureBgr = Picture(3, 41);
const Bytes kPictureIndices = Picture(1, 42);

TEST_F(ExportFiltersTest, EveryCodeWritesWhatTheCoreComputes) {
  const std::pair<const char*, Bytes> inputs[] = {
      {"24-bit bottom-up", bmptest::Make24(13, 9, kPictureBgr).Build()},
      {"24-bit top-down", bmptest::Make24(13, 9, kPictureBgr, true).Build()},
      {"8-bit bottom-up", bmptest::Make8(13, 9, kPictureIndices).Build()},
      {"8-bit top-down", bmptest::Make8(13, 9, kPictureIndices, true).Build()},
  };
  for (const auto& [name, input] : inputs) {
    const Bytes unfiltered = Call(input, 0);
    for (std::int32_t code = 1; code <= 7; ++code) {
      SCOPED_TRACE(testing::Message() << name << ", code " << code);
      const Bytes output = Call(input, code);
      EXPECT_EQ(output, bmptest::FilterThroughCore(dir, input, code));
      EXPECT_EQ(output.size(), unfiltered.size());
      EXPECT_NE(output, unfiltered) << "the filter changed nothing";
    }
  }
}

TEST_F(ExportFiltersTest, CodesFourAndSixAreTheSameFilter) {
  for (const Bytes& input : {bmptest::Make24(13, 9, kPictureBgr).Build(), bmptest::Make8(13, 9, kPictureIndices).Build()}) {
    const Bytes whitened = Call(input, 4);
    EXPECT_NE(whitened, Call(input, 0));
    EXPECT_EQ(Call(input, 6), whitened);
  }
}

}  // namespace
