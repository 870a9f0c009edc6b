// Files another program wrote: ImageMagick converts one generated picture
// into every BMP variant it can write, and the command-line tool must make of
// each the picture ImageMagick itself reads from it, and of every operation on
// it what the same operation makes of that picture stored as 24-bit. What
// --keep-format writes, ImageMagick must read as the 24-bit output's pixels.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>
#include <unistd.h>

#include "DecodedPicture.h"

namespace {

using namespace bmptest;

// The real ImageMagick; a `convert` elsewhere on the path may be a stand-in.
constexpr const char* kConvert = "/usr/bin/convert";

struct Variant {
  const char* name;
  const char* options;  // for convert, between the input and the output
  std::uint32_t headerSize;  // what ImageMagick is expected to write
  int bitCount;
  std::uint32_t compression;
  // ImageMagick reads a 4-bit channel v as v * 16 rather than v * 17 (so 15
  // is 240, not 255): its reading is scaled up the same way before comparing.
  bool fourBitChannels = false;
};

void PrintTo(const Variant& variant, std::ostream* out) { *out << variant.name; }

const Variant kVariants[] = {
    {"Colour24V5", "", 124, 24, 0},
    {"Palette8Rle8", "-colors 256", 124, 8, 1},
    {"Palette8Uncompressed", "-colors 256 -compress None", 124, 8, 0},
    {"Palette64Info40", "-colors 64 -type Palette -compress None -define bmp:format=bmp3", 40, 8, 0},
    {"PackedGray8Info40", "-colorspace Gray -type Palette -compress None -define bmp:format=bmp3", 40, 8, 0},
    {"Palette8Rle8Info40", "-colors 256 -compress RLE -define bmp:format=bmp3", 40, 8, 1},
    {"Palette4", "-colors 16", 124, 4, 0},
    {"Palette4Info40", "-colors 16 -define bmp:format=bmp3", 40, 4, 0},
    {"Monochrome", "-monochrome", 108, 1, 0},
    {"Os2Colour24", "-define bmp:format=bmp2", 12, 24, 0},
    {"Os2Palette8", "-colors 256 -define bmp:format=bmp2", 12, 8, 0},
    {"Os2Palette4", "-colors 16 -define bmp:format=bmp2", 12, 4, 0},
    {"Os2Monochrome", "-monochrome -define bmp:format=bmp2", 12, 1, 0},
    {"Rgb565", "-define bmp:subtype=RGB565", 124, 16, 3},
    {"Rgb555", "-define bmp:subtype=RGB555", 124, 16, 3},
    {"Argb1555", "-alpha set -define bmp:subtype=ARGB1555", 124, 16, 3},
    {"Argb4444", "-alpha set -define bmp:subtype=ARGB4444", 124, 16, 3, true},
    {"Argb8888", "-alpha set -define bmp:subtype=ARGB8888", 124, 32, 3},
};

// A picture of many colours (far more than 256): gradients and a pattern.
Bytes PortablePixmap(int width, int height) {
  const std::string header = "P6\n" + std::to_string(width) + " " + std::to_string(height) + "\n255\n";
  Bytes ppm(header.begin(), header.end());
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      ppm.insert(ppm.end(), {static_cast<std::uint8_t>(x * 255 / (width - 1)),
                             static_cast<std::uint8_t>(y * 255 / (height - 1)),
                             static_cast<std::uint8_t>((x * y * 7 + x * 13) % 256)});
    }
  }
  return ppm;
}

// The standard output of `command`; false when it does not exit with 0.
bool Capture(const std::string& command, Bytes& output) {
  std::FILE* pipe = ::popen(command.c_str(), "r");
  if (pipe == nullptr) return false;
  std::uint8_t buffer[4096];
  for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) output.insert(output.end(), buffer, buffer + n);
  return ::pclose(pipe) == 0;
}

bool Succeeds(const std::string& command) { return std::system(command.c_str()) == 0; }

class ImageMagickTest : public ::testing::TestWithParam<Variant> {
 protected:
  void SetUp() override {
    if (::access(kConvert, X_OK) != 0) {
      GTEST_SKIP() << "ImageMagick is not installed (no " << kConvert
                   << "): install the imagemagick package to compare with the files it writes";
    }
  }
};

TEST_P(ImageMagickTest, CommandLineToolReadsThePictureImageMagickReads) {
  const Variant& variant = GetParam();
  const std::int32_t width = 37, height = 23;
  TempDir dir;
  const std::string source = dir.File("source.ppm"), bmp = dir.File("variant.bmp"), out = dir.File("out.bmp");
  WriteFile(source, PortablePixmap(width, height));
  ASSERT_TRUE(Succeeds(std::string(kConvert) + " " + source + " " + variant.options + " BMP:" + bmp));

  const Bytes written = ReadFile(bmp);
  ASSERT_GE(written.size(), 54u);
  const std::uint32_t headerSize = written[14];
  EXPECT_EQ(headerSize, variant.headerSize);
  EXPECT_EQ(written[headerSize == 12 ? 24 : 28], variant.bitCount);
  if (headerSize > 12) {
    EXPECT_EQ(written[30], variant.compression);
  }

  Bytes reference;  // red, green, blue, rows from the top
  ASSERT_TRUE(Capture(std::string(kConvert) + " " + bmp + " -depth 8 rgb:-", reference));
  ASSERT_TRUE(Succeeds(std::string(TAMROVI_CLI_PATH) + " " + bmp + " " + out + " 0"));
  tamrovi::CBmpImage decoded;
  ASSERT_EQ(decoded.LoadBmp(out.c_str()), 1);
  ASSERT_EQ(decoded.m_width, width);
  ASSERT_EQ(decoded.m_height, height);
  const Bytes bgr = ColourPixels(decoded);
  ASSERT_EQ(reference.size(), bgr.size());

  // Bit-field channels may differ by 1: ImageMagick widens them by repeating
  // their bits, this library by rounding.
  const int tolerance = variant.compression == 3 ? 1 : 0;
  int worst = 0;
  for (std::size_t i = 0; i < bgr.size(); ++i) {
    int expected = reference[i - i % 3 + 2 - i % 3];  // the same channel: blue, green, red <- red, green, blue
    if (variant.fourBitChannels) expected = expected / 16 * 17;
    const int difference = std::abs(bgr[i] - expected);
    if (difference > worst) worst = difference;
  }
  EXPECT_LE(worst, tolerance);

  for (int code = 1; code <= 7; ++code) {  // every filter runs on the decoded picture
    SCOPED_TRACE(code);
    EXPECT_TRUE(Succeeds(std::string(TAMROVI_CLI_PATH) + " " + bmp + " " + out + " " + std::to_string(code)));
    EXPECT_EQ(ReadFile(out).size(), 54u + static_cast<std::size_t>((3 * width + 3) / 4 * 4 * height));
  }
  if (tolerance > 0 || variant.fourBitChannels) return;  // ImageMagick reads another picture
  ASSERT_TRUE(Succeeds(std::string(TAMROVI_CLI_PATH) + " " + bmp + " " + out + " 0"));
  // Every operation on the file against the same on its 24-bit form, which
  // is the picture ImageMagick reads: the tool wrote it for code 0.
  const std::string colour = dir.File("colour.bmp"), fromColour = dir.File("from-colour.bmp");
  ASSERT_EQ(std::rename(out.c_str(), colour.c_str()), 0);
  const std::vector<std::string> operations = {"1", "2", "3", "4", "5", "7", "histogram", "smooth"};
  for (const std::string& operation : operations) {
    SCOPED_TRACE(operation);
    auto run = [&](const std::string& input, const std::string& output, const std::string& options) {
      Bytes printed;
      const std::string tool = std::string(TAMROVI_CLI_PATH) + " " + options;
      if (operation == "histogram") EXPECT_TRUE(Capture(tool + " histogram " + input, printed));
      else if (operation == "smooth") EXPECT_TRUE(Succeeds(tool + " smooth " + input + " " + output + " 1.5"));
      else EXPECT_TRUE(Succeeds(tool + " " + input + " " + output + " " + operation));
      return operation == "histogram" ? printed : ReadFile(output);
    };
    const Bytes expected = run(colour, fromColour, "");
    EXPECT_EQ(run(bmp, out, ""), expected);
    if (variant.bitCount > 8 || operation == "histogram") continue;
    run(bmp, out, "--keep-format 2>/dev/null");
    const Bytes kept = ReadFile(out);
    ASSERT_GE(kept.size(), 54u);
    Bytes keptPixels, expectedPixels;
    ASSERT_TRUE(Capture(std::string(kConvert) + " " + out + " -depth 8 rgb:-", keptPixels));
    ASSERT_TRUE(Capture(std::string(kConvert) + " " + fromColour + " -depth 8 rgb:-", expectedPixels));
    EXPECT_EQ(keptPixels, expectedPixels);
    if (operation != "smooth") {
      EXPECT_EQ(kept[28], 8) << "the result has room in a colour table";
    }
  }
}

INSTANTIATE_TEST_SUITE_P(EveryVariantImageMagickWrites, ImageMagickTest, ::testing::ValuesIn(kVariants),
                         [](const ::testing::TestParamInfo<Variant>& info) { return info.param.name; });

}  // namespace
