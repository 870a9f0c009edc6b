// The bmpfilters tool as a user runs it: exit statuses, messages, files.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include "image/BmpImage.h"
#include "image/PictureRows.h"
#include "support/ImageFixture.h"
#include "support/Process.h"

namespace {

using bmptest::Bytes;

bmptest::ProcessResult Cli(const std::vector<std::string>& arguments) {
  return bmptest::RunProcess(TAMROVI_CLI_PATH, arguments);
}

class CliTest : public ::testing::Test {
 protected:
  void SetUp() override {
    picture = bmptest::Make24(6, 5, bmptest::RandomBytes(6 * 5 * 3, 21)).Build();
    bmptest::WriteFile(In(), picture);
  }
  std::string In() const { return dir.File("in.bmp"); }
  std::string Out() const { return dir.File("out.bmp"); }

  bmptest::TempDir dir;
  Bytes picture;
};

TEST_F(CliTest, WritesWhatTheExportWrites) {
  struct Case {
    std::vector<std::string> arguments;
    std::int32_t code;
  } const cases[] = {
      {{"IN", "OUT", "5"}, 5},          {{"IN", "OUT", "flip"}, 5},     {{"IN", "OUT", "-1"}, -1},
      {{"IN", "OUT", "none"}, 0},       {{"IN", "OUT", "7"}, 7},        {{"IN", "OUT", "outline"}, 1},
      {{"--", "IN", "OUT", "3"}, 3},    {{"IN", "OUT", "2147483647"}, 2147483647},
  };
  for (const Case& c : cases) {
    std::vector<std::string> arguments = c.arguments;
    for (std::string& argument : arguments) {
      if (argument == "IN") argument = In();
      if (argument == "OUT") argument = Out();
    }
    SCOPED_TRACE(arguments.back());
    const bmptest::ProcessResult run = Cli(arguments);
    EXPECT_EQ(run.exitStatus, 0) << run.err;
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(bmptest::ReadFile(Out()), bmptest::FilterThroughCore(dir, picture, c.code));
  }
}

TEST_F(CliTest, RefusedInputsGiveOneLineAndNoOutput) {
  bmptest::WriteFile(dir.File("text.bmp"), Bytes{'h', 'i'});
  bmptest::BmpFile tall = bmptest::Make24(1, 1, {0, 0, 0});
  tall.height = 2000;
  bmptest::WriteFile(dir.File("tall.bmp"), tall.Build());
  struct Case {
    std::string input;
    std::string message;
  } const cases[] = {
      {dir.File("text.bmp"), dir.File("text.bmp") + ": not a BMP file (no BM signature)\n"},
      {dir.File("tall.bmp"), dir.File("tall.bmp") + ": picture too tall (more than 1600 rows)\n"},
      {dir.File("gone.bmp"), dir.File("gone.bmp") + ": cannot open the file (No such file or directory)\n"},
      {dir.Path(), dir.Path() + ": not a regular file\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.input);
    const bmptest::ProcessResult run = Cli({c.input, Out(), "1"});
    EXPECT_EQ(run.exitStatus, 1);
    EXPECT_EQ(run.err, c.message);
    EXPECT_FALSE(bmptest::FileExists(Out())) << "nothing is written for a refused input";
  }
}

TEST_F(CliTest, AnOutputThatCannotBeCreatedIsAnError) {
  const bmptest::ProcessResult run = Cli({In(), dir.File("no/such/out.bmp"), "0"});
  EXPECT_EQ(run.exitStatus, 1);
  EXPECT_EQ(run.err, dir.File("no/such/out.bmp") + ": cannot write the output file (No such file or directory)\n");
}

TEST_F(CliTest, UsageErrorsExitWithTwo) {
  const std::vector<std::string> cases[] = {
      {}, {In()}, {In(), Out()}, {In(), Out(), "1", "extra"}, {In(), Out(), "sharpen"},
      {In(), Out(), "1x"}, {"--frobnicate", In(), Out(), "1"}, {In(), Out(), "99999999999"},
  };
  for (const auto& arguments : cases) {
    SCOPED_TRACE(::testing::PrintToString(arguments));
    const bmptest::ProcessResult run = Cli(arguments);
    EXPECT_EQ(run.exitStatus, 2);
    EXPECT_NE(run.err.find("bmpfilters: "), std::string::npos);
    EXPECT_FALSE(bmptest::FileExists(Out()));
  }
}

TEST_F(CliTest, InformationOptionsAnswerAndExitWithZero) {
  const bmptest::ProcessResult help = Cli({"--help"});
  EXPECT_EQ(help.exitStatus, 0);
  EXPECT_EQ(help.out.rfind("usage: bmpfilters", 0), 0u);

  const bmptest::ProcessResult version = Cli({In(), "--version"});
  EXPECT_EQ(version.exitStatus, 0);
  EXPECT_EQ(version.out, "bmpfilters 1.0.0.1 (TamroviBMPFilters DLL, file version 1, 0, 0, 1)\n");

  const bmptest::ProcessResult list = Cli({"--list"});
  EXPECT_EQ(list.exitStatus, 0);
  for (const char* line : {"0\tnone\t", "1\toutline\t", "2\troberts\t", "3\tlaplace\t", "4\twhiten-dark\t",
                           "5\tflip\t", "6\twhiten-dark\t", "7\twindow\t"}) {
    EXPECT_NE(list.out.find(line), std::string::npos) << line;
  }
}

TEST_F(CliTest, DemoWritesEveryFilterAndAContactSheet) {
  const std::string demo = dir.File("demo");
  const bmptest::ProcessResult run = Cli({"demo", demo});
  ASSERT_EQ(run.exitStatus, 0) << run.err;
  std::vector<std::string> files = {"picture-24bit.bmp", "picture-8bit.bmp", "contact-sheet.bmp"};
  for (const char* stem : {"24bit-", "8bit-"}) {
    for (const char* filter : {"0-none", "1-outline", "2-roberts", "3-laplace", "4-whiten-dark", "5-flip",
                               "6-whiten-dark", "7-window"}) {
      files.push_back(std::string(stem) + filter + ".bmp");
    }
  }
  for (const std::string& file : files) {
    SCOPED_TRACE(file);
    EXPECT_NE(run.out.find("wrote " + demo + "/" + file), std::string::npos);
    tamrovi::CBmpImage image;
    EXPECT_EQ(image.LoadBmp((demo + "/" + file).c_str()), 1);
  }
  tamrovi::CBmpImage picture8;
  ASSERT_EQ(picture8.LoadBmp((demo + "/picture-8bit.bmp").c_str()), 1);
  EXPECT_TRUE(tamrovi::CPictureRows(picture8).IsGray());
  EXPECT_EQ(picture8.m_nColors, 256);
}

}  // namespace

namespace {

TEST_F(CliTest, BatchWritesOneOutputPerInputAndNamesEachFailure) {
  std::vector<std::string> inputs;
  for (int i = 0; i < 6; ++i) {
    inputs.push_back(dir.File("pic" + std::to_string(i) + ".bmp"));
    bmptest::WriteFile(inputs.back(), bmptest::Make24(7, 3 + i, bmptest::RandomBytes(21 * (3 + i), i)).Build());
  }
  bmptest::WriteFile(dir.File("broken.bmp"), Bytes{'B', 'M', 1});
  ::mkdir(dir.File("other").c_str(), 0700);
  bmptest::WriteFile(dir.File("other/pic0.bmp"), picture);

  for (const char* jobs : {"1", "2", "5"}) {
    SCOPED_TRACE(jobs);
    const std::string outdir = dir.File(std::string("out-") + jobs);
    std::vector<std::string> arguments = {"batch", "--jobs", jobs, "laplace", outdir};
    arguments.insert(arguments.end(), inputs.begin(), inputs.end());
    arguments.push_back(dir.File("broken.bmp"));
    arguments.push_back(dir.File("other/pic0.bmp"));
    const bmptest::ProcessResult run = Cli(arguments);
    EXPECT_EQ(run.exitStatus, 1);
    EXPECT_EQ(run.out, "batch: 6 of 8 files written to " + outdir + ", 2 failed\n");
    EXPECT_EQ(run.err, dir.File("broken.bmp") + ": truncated BMP file (shorter than its headers)\n" +
                           dir.File("other/pic0.bmp") +
                           ": an earlier input has the same file name; its output would be overwritten\n");
    for (int i = 0; i < 6; ++i) {
      EXPECT_EQ(bmptest::ReadFile(outdir + "/pic" + std::to_string(i) + ".bmp"),
                bmptest::FilterThroughCore(dir, bmptest::ReadFile(inputs[i]), 3));
    }
    EXPECT_FALSE(bmptest::FileExists(outdir + "/broken.bmp"));
  }
}

TEST_F(CliTest, BatchOfGoodFilesExitsWithZero) {
  const bmptest::ProcessResult run = Cli({"batch", "flip", dir.File("out"), In(), "-j", "2"});
  EXPECT_EQ(run.exitStatus, 0) << run.err;
  EXPECT_EQ(run.err, "") << "no progress bar when stderr is not a terminal";
  EXPECT_EQ(bmptest::ReadFile(dir.File("out/in.bmp")), bmptest::FilterThroughCore(dir, picture, 5));
  EXPECT_EQ(Cli({"batch", "flip", dir.File("out"), In(), "--jobs", "0"}).exitStatus, 2);
  EXPECT_EQ(Cli({"batch", "sharpen", dir.File("out"), In()}).exitStatus, 2);
}

}  // namespace
