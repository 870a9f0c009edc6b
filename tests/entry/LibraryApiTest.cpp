// libtamrovi against the tool: the same files, the same bytes.
#include <gtest/gtest.h>

#include <cerrno>
#include <set>
#include <string>

#include "tamrovi.h"

#include "support/BmpBuilder.h"
#include "support/Process.h"
#include "support/TempDir.h"

namespace {

using bmptest::Bytes;

struct Picture {  // released with the test's scope
  ~Picture() { tamrovi_free_picture(handle); }
  tamrovi_picture* handle = nullptr;
};

class LibraryApiTest : public ::testing::Test {
 protected:
  Bytes Memory(const tamrovi_picture* picture, tamrovi_format format) {
    std::uint8_t* bytes = nullptr;
    std::size_t length = 0;
    EXPECT_EQ(tamrovi_write_memory(picture, format, &bytes, &length), TAMROVI_OK);
    Bytes copy(bytes, bytes + length);
    tamrovi_free(bytes);
    return copy;
  }

  bmptest::TempDir dir;
};

// A 24-bit photo-like picture, a gray-ramp 8-bit one (held as gray bytes) and
// a 4-bit one with a colour table.
std::vector<Bytes> Inputs() {
  const std::int32_t w = 13, h = 9;
  std::vector<std::uint32_t> indices;
  for (std::int32_t k = 0; k < w * h; ++k) indices.push_back((k * 7 + k / w) % 16);
  Bytes table;
  for (int i = 0; i < 16; ++i) table.insert(table.end(), {std::uint8_t(i * 16), std::uint8_t(255 - i * 9), 40, 0});
  return {bmptest::Make24(w, h, bmptest::RandomBytes(3 * w * h, 7)).Build(),
          bmptest::Make8(w, h, bmptest::RandomBytes(w * h, 8)).Build(),
          bmptest::MakeIndexed(w, h, 4, indices, table).Build()};
}

TEST_F(LibraryApiTest, EveryOperationGivesTheToolsBytes) {
  // Codes 0 to 7, then smoothing (-1), through memory and through a file,
  // 24-bit and keeping the format; 8 is refused by both.
  const std::string in = dir.File("in.bmp"), out = dir.File("api.bmp"), tool = dir.File("tool.bmp");
  for (const Bytes& input : Inputs()) {
    bmptest::WriteFile(in, input);
    for (const auto format : {TAMROVI_FORMAT_24BIT, TAMROVI_FORMAT_KEEP}) {
      for (std::int32_t code = -1; code <= 8; ++code) {
        SCOPED_TRACE("code " + std::to_string(code) + (format == TAMROVI_FORMAT_KEEP ? " keeping the format" : ""));
        Picture picture;
        ASSERT_EQ(tamrovi_read_memory(input.data(), input.size(), nullptr, &picture.handle), TAMROVI_OK);
        const tamrovi_status status = code < 0 ? tamrovi_smooth(picture.handle, 1.5) : tamrovi_filter(picture.handle, code);
        ASSERT_EQ(status, code == 8 ? TAMROVI_UNKNOWN_FILTER : TAMROVI_OK);
        if (code == 8) continue;
        std::vector<std::string> arguments = {in, tool, code < 0 ? "1.5" : std::to_string(code)};
        if (format == TAMROVI_FORMAT_KEEP) arguments.insert(arguments.begin(), "--keep-format");
        if (code < 0) arguments.insert(arguments.begin(), "smooth");
        ASSERT_EQ(bmptest::RunProcess(TAMROVI_CLI_PATH, arguments).exitStatus, 0);
        ASSERT_EQ(tamrovi_write_file(picture.handle, out.c_str(), format, nullptr), TAMROVI_OK);
        EXPECT_EQ(bmptest::ReadFile(out), bmptest::ReadFile(tool));
        EXPECT_EQ(Memory(picture.handle, format), bmptest::ReadFile(tool));
      }
    }
    Picture counted;
    ASSERT_EQ(tamrovi_read_file(in.c_str(), nullptr, &counted.handle, nullptr), TAMROVI_OK);
    std::uint32_t counts[256];
    ASSERT_EQ(tamrovi_histogram(counted.handle, counts), TAMROVI_OK);
    std::string table = "level,count\n";
    for (int level = 0; level < 256; ++level) table += std::to_string(level) + ',' + std::to_string(counts[level]) + '\n';
    EXPECT_EQ(bmptest::RunProcess(TAMROVI_CLI_PATH, {"histogram", in}).out, table);
  }
}

TEST_F(LibraryApiTest, PixelsInAndOutAreTheFilesPixels) {
  // Gray and colour pixels with padded strides make the picture their file
  // gives, and come back as they went in.
  for (int channels : {1, 3}) {
    const std::int32_t w = 7, h = 5;
    const std::size_t stride = 3 * w + 2;
    const Bytes pixels = bmptest::RandomBytes(stride * h, 11 + channels);
    Picture made;
    ASSERT_EQ(tamrovi_make_picture(w, h, channels, pixels.data(), stride, &made.handle), TAMROVI_OK);
    EXPECT_EQ(tamrovi_channels(made.handle), channels);
    Bytes back(pixels.size());
    ASSERT_EQ(tamrovi_get_pixels(made.handle, back.data(), stride), TAMROVI_OK);
    for (std::int32_t row = 0; row < h; ++row) {
      EXPECT_TRUE(std::equal(pixels.begin() + row * stride, pixels.begin() + row * stride + w * channels,
                             back.begin() + row * stride));
    }
    // The written file reads back to the same picture.
    const Bytes written = Memory(made.handle, TAMROVI_FORMAT_KEEP);
    Picture reread;
    ASSERT_EQ(tamrovi_read_memory(written.data(), written.size(), nullptr, &reread.handle), TAMROVI_OK);
    EXPECT_EQ(Memory(reread.handle, TAMROVI_FORMAT_KEEP), written);
  }
}

TEST_F(LibraryApiTest, FailuresSayTheirReason) {
  Picture picture;
  int systemError = -1;
  EXPECT_EQ(tamrovi_read_file(dir.File("missing.bmp").c_str(), nullptr, &picture.handle, &systemError),
            TAMROVI_CANNOT_OPEN);
  EXPECT_EQ(systemError, ENOENT);
  EXPECT_EQ(picture.handle, nullptr);

  const Bytes png = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n', 0, 0, 0, 13};
  EXPECT_EQ(tamrovi_read_memory(png.data(), png.size(), nullptr, &picture.handle), TAMROVI_PNG_FILE);
  Bytes whole = bmptest::Make24(4, 6, bmptest::RandomBytes(72, 3)).Build();
  tamrovi_read_options options;
  tamrovi_default_read_options(&options);
  options.max_pixels = 23;
  EXPECT_EQ(tamrovi_read_memory(whole.data(), whole.size(), &options, &picture.handle), TAMROVI_TOO_MANY_PIXELS);
  options.max_pixels = 24;
  options.max_rows = 5;
  EXPECT_EQ(tamrovi_read_memory(whole.data(), whole.size(), &options, &picture.handle), TAMROVI_TOO_TALL);

  // A file cut inside its fourth stored row: refused when strict, else read
  // with the rows it lacks counted.
  whole.resize(whole.size() - 2 * 12 - 5);
  tamrovi_default_read_options(&options);
  options.strict = 1;
  EXPECT_EQ(tamrovi_read_memory(whole.data(), whole.size(), &options, &picture.handle), TAMROVI_MISSING_ROWS);
  ASSERT_EQ(tamrovi_read_memory(whole.data(), whole.size(), nullptr, &picture.handle), TAMROVI_OK);
  EXPECT_EQ(tamrovi_missing_rows(picture.handle), 3);

  EXPECT_EQ(tamrovi_write_file(picture.handle, dir.File("no/such/dir.bmp").c_str(), TAMROVI_FORMAT_24BIT, &systemError),
            TAMROVI_CANNOT_WRITE);
  EXPECT_EQ(systemError, ENOENT);
  EXPECT_EQ(tamrovi_smooth(picture.handle, 0.0), TAMROVI_INVALID_SIGMA);
  std::uint8_t pixel[3] = {};
  EXPECT_EQ(tamrovi_get_pixels(picture.handle, pixel, 11), TAMROVI_INVALID_ARGUMENT);  // a row is 12 bytes
  Picture refused;
  EXPECT_EQ(tamrovi_make_picture(1, 1, 2, pixel, 3, &refused.handle), TAMROVI_INVALID_ARGUMENT);

  // Every status has words of its own.
  std::set<std::string> texts;
  const int statuses[] = {0, 1, 2, 3, 4, 10, 11, 12, 13, 14, 20, 21, 22, 23, 30, 31, 32, 33, 34, 35, 36, 40, 41, 42, 43};
  for (int status : statuses) texts.insert(tamrovi_status_text(static_cast<tamrovi_status>(status)));
  EXPECT_EQ(texts.size(), std::size(statuses));
  EXPECT_STREQ(tamrovi_status_text(static_cast<tamrovi_status>(99)), "unknown status");
}

}  // namespace
