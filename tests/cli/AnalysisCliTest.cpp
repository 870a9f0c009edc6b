// The histogram and smooth forms of the tool, and --keep-format.
#include <gtest/gtest.h>

#include <set>

#include "analysis/GaussianSmooth.h"
#include "cli/HistogramPlot.h"
#include "image/BmpImage.h"
#include "image/PictureRows.h"
#include "support/ImageFixture.h"
#include "support/Process.h"

namespace {

using bmptest::Bytes;

bmptest::ProcessResult Cli(const std::vector<std::string>& arguments, const std::string& input = "/dev/null") {
  return bmptest::RunProcess(TAMROVI_CLI_PATH, arguments, input);
}

class AnalysisCliTest : public ::testing::Test {
 protected:
  std::string Write(const std::string& name, const Bytes& bytes) const {
    bmptest::WriteFile(dir.File(name), bytes);
    return dir.File(name);
  }
  std::string Out() const { return dir.File("out.bmp"); }

  bmptest::TempDir dir;
};

TEST_F(AnalysisCliTest, HistogramPrintsEveryLevelAndPlotsOneBarPerLevel) {
  // Level 100 is the fullest (6 pixels) and fills the chart; level 7 has one
  // pixel: 200 * 1 / 6 = 33 rows.
  const std::string input = Write("in.bmp", bmptest::Make8(7, 1, {100, 100, 100, 7, 100, 100, 100}).Build());
  const bmptest::ProcessResult run = Cli({"histogram", input, "--plot", dir.File("plot.bmp")});
  ASSERT_EQ(run.exitStatus, 0) << run.err;
  std::string csv = "level,count\n";
  for (int level = 0; level < 256; ++level) {
    csv += std::to_string(level) + "," + (level == 100 ? "6" : level == 7 ? "1" : "0") + "\n";
  }
  EXPECT_EQ(run.out, csv);
  EXPECT_EQ(run.err, "");

  using namespace tamrovi::cli;
  tamrovi::CBmpImage plot;
  ASSERT_EQ(plot.LoadBmp(dir.File("plot.bmp").c_str()), 1);
  const tamrovi::CPictureRows rows(plot);
  ASSERT_EQ(std::tuple(rows.PixelBytes(), rows.Width(), rows.Height()), std::tuple(3, kPlotWidth, kPlotHeight));
  auto isBar = [&](int level, std::int32_t row) {
    const std::uint8_t* pixel = rows.Row(row) + 3 * (kPlotMargin + level * kPlotBarWidth);
    return Bytes(pixel, pixel + 3) == Bytes(kPlotBarBgr, kPlotBarBgr + 3);
  };
  const std::int32_t baseline = kPlotMargin + kPlotBarsHeight;
  EXPECT_TRUE(isBar(100, kPlotMargin));
  EXPECT_TRUE(isBar(7, baseline - 33));
  EXPECT_FALSE(isBar(7, baseline - 34));
  EXPECT_FALSE(isBar(8, baseline - 1));

  // From standard input, and with the plot on standard output as all it holds.
  EXPECT_EQ(Cli({"histogram", "-"}, input).out, csv);
  const bmptest::ProcessResult piped = Cli({"histogram", "-", "--plot", "-"}, input);
  EXPECT_EQ(piped.exitStatus, 0) << piped.err;
  EXPECT_EQ(Bytes(piped.out.begin(), piped.out.end()), bmptest::ReadFile(dir.File("plot.bmp")));
}

TEST_F(AnalysisCliTest, SmoothWritesWhatTheLibraryWritesAndKeepFormatKeepsEightBit) {
  const Bytes colour = bmptest::Make24(9, 7, bmptest::RandomBytes(9 * 7 * 3, 1)).Build();
  const Bytes gray = bmptest::Make8(9, 7, bmptest::RandomBytes(9 * 7, 2), true, bmptest::GrayColourTable(16)).Build();
  for (const Bytes* input : {&colour, &gray}) {
    for (bool keepFormat : {false, true}) {
      SCOPED_TRACE(::testing::Message() << (input == &gray ? "8-bit" : "24-bit") << " keep-format " << keepFormat);
      std::vector<std::string> arguments = {"smooth", Write("in.bmp", *input), Out(), "1.5"};
      if (keepFormat) arguments.push_back("--keep-format");
      const bmptest::ProcessResult run = Cli(arguments);
      EXPECT_EQ(run.exitStatus, 0) << run.err;
      EXPECT_EQ(run.out + run.err, "");

      tamrovi::CBmpImage image;
      ASSERT_EQ(image.LoadBmp(dir.File("in.bmp").c_str()), 1);
      tamrovi::GaussianSmooth(image, 1.5);
      const std::string expected = dir.File("expected.bmp");
      keepFormat && input == &gray ? image.SaveDib(expected.c_str()) : image.SaveBmp24(expected.c_str());
      EXPECT_EQ(bmptest::ReadFile(Out()), bmptest::ReadFile(expected));
      arguments[1] = arguments[2] = "-";
      const std::string piped = Cli(arguments, dir.File("in.bmp")).out;
      EXPECT_EQ(Bytes(piped.begin(), piped.end()), bmptest::ReadFile(expected)) << "through - and -";
    }
  }
  // The filter form: an 8-bit file written through untouched comes back as itself.
  ASSERT_EQ(Cli({"--keep-format", Write("in.bmp", gray), Out(), "none"}).exitStatus, 0);
  EXPECT_EQ(bmptest::ReadFile(Out()), gray);
}

// Whatever colour-table file a picture came from, --keep-format writes it
// 8-bit when its colours fit a table, 24-bit with one line saying so when
// not, and in either case exactly the pixels of the 24-bit output.
TEST_F(AnalysisCliTest, KeepFormatWritesColourTableFilesAsEightBitWhenTheirColoursFit) {
  const std::int32_t width = 23, height = 15;  // more pixels than a colour table holds colours
  const Bytes randomTable = bmptest::RandomBytes(4 * 256, 5);
  std::vector<std::uint32_t> indexes;
  for (std::uint8_t byte : bmptest::RandomBytes(width * height, 6)) indexes.push_back(byte);
  auto below = [&](std::uint32_t limit) {
    std::vector<std::uint32_t> cut;
    for (std::uint32_t index : indexes) cut.push_back(index % limit);
    return cut;
  };
  bmptest::RleStream rle(8);
  for (std::int32_t row = 0; row < height; ++row) rle.Run(7, static_cast<std::uint8_t>(row)).Run(12, 200).EndOfLine();
  const std::pair<const char*, Bytes> inputs[] = {
      {"1-bit", bmptest::MakeIndexed(width, height, 1, below(2), Bytes(randomTable.begin(), randomTable.begin() + 8)).Build()},
      {"4-bit", bmptest::MakeIndexed(width, height, 4, below(16), randomTable, true).Build()},
      {"RLE8", bmptest::MakeRle(width, height, 8, rle.EndOfBitmap(), randomTable).Build()},
      {"8-bit colours", bmptest::MakeIndexed(width, height, 8, indexes, randomTable).Build()},
      {"8-bit gray ramp", bmptest::MakeIndexed(width, height, 8, indexes, bmptest::GrayColourTable()).Build()}};
  for (const auto& [name, input] : inputs) {
    for (const std::vector<std::string>& operation : {std::vector<std::string>{"none"}, {"roberts"}, {"smooth", "0.8"}}) {
      SCOPED_TRACE(std::string(name) + ", " + operation[0]);
      auto run = [&](const std::string& output, bool keepFormat) {
        std::vector<std::string> arguments = {Write("in.bmp", input), output};
        arguments.insert(operation[0] == "smooth" ? arguments.begin() : arguments.end(), operation[0]);
        if (operation.size() > 1) arguments.push_back(operation[1]);
        if (keepFormat) arguments.push_back("--keep-format");
        return Cli(arguments);
      };
      ASSERT_EQ(run(dir.File("24.bmp"), false).exitStatus, 0);
      const bmptest::ProcessResult kept = run(Out(), true);
      ASSERT_EQ(kept.exitStatus, 0) << kept.err;
      tamrovi::CBmpImage colour, written;
      ASSERT_EQ(colour.LoadBmp(dir.File("24.bmp").c_str()), 1);
      ASSERT_EQ(written.LoadBmp(Out().c_str()), 1);
      const Bytes pixels = bmptest::PictureBgr(colour);
      EXPECT_EQ(bmptest::PictureBgr(written), pixels);
      std::set<std::vector<std::uint8_t>> colours;
      for (std::size_t i = 0; i < pixels.size(); i += 3) colours.insert(Bytes(&pixels[i], &pixels[i] + 3));
      const bool fits = colours.size() <= 256;
      EXPECT_EQ(written.m_fileBitCount, fits ? 8 : 24);
      EXPECT_EQ(kept.err, fits ? "" : Out() + ": the result has more than 256 colours, too many for a colour table; "
                                          "written as 24-bit\n");
    }
  }
}

TEST_F(AnalysisCliTest, RefusedInputsGiveOneLineAndNoOutput) {
  const std::string text = Write("text.bmp", Bytes{'h', 'i'});
  const std::string plot = dir.File("plot.bmp");
  const std::vector<std::string> cases[] = {{"histogram", text, "--plot", plot}, {"smooth", text, Out(), "1"}};
  for (const auto& arguments : cases) {
    SCOPED_TRACE(arguments[0]);
    const bmptest::ProcessResult run = Cli(arguments);
    EXPECT_EQ(run.exitStatus, 1);
    EXPECT_EQ(run.out + run.err, text + ": not a BMP file (no BM signature)\n");
    EXPECT_FALSE(bmptest::FileExists(Out()) || bmptest::FileExists(plot));
  }
}

TEST_F(AnalysisCliTest, BadSigmasAndMisshapenCommandsAreUsageErrors) {
  const std::string input = Write("in.bmp", bmptest::Make24(2, 2, Bytes(12, 1)).Build());
  for (const char* sigma : {"0", "-1", "-0.5", "nan", "inf", "abc", "1x", "", " 1", "0x10", "1e6", "1e-200"}) {
    const bmptest::ProcessResult run = Cli({"smooth", input, Out(), sigma});
    EXPECT_EQ(run.exitStatus, 2) << sigma;
    EXPECT_EQ(run.err, "bmpfilters: bad sigma '" + std::string(sigma) +
                           "' (give a number from 1e-150 to 100000)\ntry 'bmpfilters --help'\n");
  }
  const std::vector<std::string> cases[] = {
      {"histogram"},           {"histogram", input, Out()},         {"histogram", input, "--keep-format"},
      {"smooth", input, Out()}, {"smooth", input, Out(), "1", "2"}, {input, Out(), "1", "--plot", Out()},
  };
  for (const auto& arguments : cases) {
    SCOPED_TRACE(::testing::PrintToString(arguments));
    const bmptest::ProcessResult run = Cli(arguments);
    EXPECT_EQ(run.exitStatus, 2);
    EXPECT_EQ(run.err.rfind("bmpfilters: ", 0), 0u);
    EXPECT_EQ(run.err.substr(run.err.find('\n')), "\ntry 'bmpfilters --help'\n") << "one line, then where to look";
    EXPECT_EQ(run.out, "");
  }
  EXPECT_FALSE(bmptest::FileExists(Out()));
}

}  // namespace
