// The bmpfilters tool as a user runs it: exit statuses, messages, files.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <filesystem>
#include <set>
#include <sstream>

#include "image/BmpImage.h"
#include "image/PictureRows.h"
#include "support/ImageFixture.h"
#include "support/Process.h"

namespace {

using bmptest::Bytes;

bmptest::ProcessResult Cli(const std::vector<std::string>& arguments, const std::string& input = "/dev/null") {
  return bmptest::RunProcess(TAMROVI_CLI_PATH, arguments, input);
}

// The tool run by a shell, for what a redirection sets up.
bmptest::ProcessResult Shell(const std::string& command) {
  return bmptest::RunProcess("/bin/sh", {"-c", std::string(TAMROVI_CLI_PATH) + " " + command});
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
  // "-" reads standard input (here the input file) and writes standard
  // output, the same bytes as the file form. OUT stands for out.bmp.
  struct Case {
    std::vector<std::string> arguments;
    std::int32_t code;
    std::string written = "out.bmp";  // "-": standard output
  } const cases[] = {
      {{"IN", "OUT", "5"}, 5},       {{"IN", "OUT", "flip"}, 5},   {{"IN", "OUT", "6"}, 6},
      {{"IN", "OUT", "none"}, 0},    {{"IN", "OUT", "7"}, 7},      {{"IN", "OUT", "outline"}, 1},
      {{"--", "IN", "OUT", "3"}, 3}, {{"-", "OUT", "laplace"}, 3}, {{"IN", "-", "roberts"}, 2, "-"},
      {{"-", "-", "laplace"}, 3, "-"}, {{"IN", "out.PNG", "1", "--force"}, 1, "out.PNG"},
      {{"IN", "/dev/stdout", "flip"}, 5, "-"}, {{"IN", "/dev/fd/1", "flip"}, 5, "-"},
  };
  for (const Case& c : cases) {
    std::vector<std::string> arguments = c.arguments;
    for (std::string& argument : arguments) {
      if (argument == "IN") argument = In();
      if (argument == "OUT" || argument == "out.PNG") argument = dir.File(argument == "OUT" ? "out.bmp" : argument);
    }
    SCOPED_TRACE(::testing::PrintToString(arguments));
    const bmptest::ProcessResult run = Cli(arguments, In());
    EXPECT_EQ(run.exitStatus, 0) << run.err;
    EXPECT_EQ(run.err, "");
    const Bytes written = c.written == "-" ? Bytes(run.out.begin(), run.out.end()) : bmptest::ReadFile(dir.File(c.written));
    EXPECT_EQ(written, bmptest::FilterThroughCore(dir, picture, c.code));
  }
}

TEST_F(CliTest, RefusedInputsGiveOneLineAndNoOutput) {
  bmptest::WriteFile(dir.File("text.bmp"), Bytes{'h', 'i'});
  bmptest::WriteFile(dir.File("photo.png"), Bytes{0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A, 0, 0, 0, 13});
  bmptest::BmpFile cut = bmptest::Make24(1, 1, {0, 0, 0});
  cut.height = 2000;
  bmptest::WriteFile(dir.File("cut.bmp"), cut.Build());
  bmptest::BmpFile huge = bmptest::Make8(1, 1, {0});
  huge.width = huge.height = 40000;
  bmptest::WriteFile(dir.File("huge.bmp"), huge.Build());
  ::mkfifo(dir.File("fifo").c_str(), 0600);
  const std::string convert = " (convert it to BMP first, e.g. convert ";
  const std::string ended = ": the file ends early: 1999 of 2000 rows are missing (refused: --strict)\n";
  const std::string tooLarge = ": picture too large (more than 1073741824 pixels; --max-pixels N raises the limit)\n";
  struct Case {
    std::string input;
    std::string message;
    std::string standardInput = "/dev/null";
    std::vector<std::string> options = {};
  } const cases[] = {
      {dir.File("text.bmp"), dir.File("text.bmp") + ": not a BMP file (no BM signature)\n"},
      {dir.File("photo.png"), dir.File("photo.png") + ": a PNG file, not a BMP file" + convert + dir.File("photo.png") +
                                  " bmp:- | bmpfilters - out.bmp flip)\n"},
      {dir.File("cut.bmp"), dir.File("cut.bmp") + ended, "/dev/null", {"--strict"}},
      {dir.File("huge.bmp"), dir.File("huge.bmp") + tooLarge},
      {In(), In() + ": picture too large (more than 29 pixels; --max-pixels N raises the limit)\n", "/dev/null",
       {"--max-pixels=29"}},
      {dir.File("gone.bmp"), dir.File("gone.bmp") + ": cannot open the file (No such file or directory)\n"},
      {dir.Path(), dir.Path() + ": not a regular file (Is a directory)\n"},
      {dir.File("fifo"), dir.File("fifo") + ": not a regular file (a pipe or device: give - to read standard input)\n"},
      {"-", "standard input: not a BMP file (no BM signature)\n", dir.File("text.bmp")},
      {"-", "standard input: a PNG file, not a BMP file" + convert + "photo.png bmp:- | bmpfilters - out.bmp flip)\n",
       dir.File("photo.png")},
      {"-", "standard input" + ended, dir.File("cut.bmp"), {"--strict"}},
      {"-", "standard input" + tooLarge, dir.File("huge.bmp")},
      {"-", "standard input: not a BMP file (no BM signature)\n"},
      {"-", "standard input: not a BMP file (no BM signature)\n", "/dev/zero"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.input);
    std::vector<std::string> arguments = c.options;
    arguments.insert(arguments.end(), {c.input, Out(), "1"});
    const bmptest::ProcessResult run = Cli(arguments, c.standardInput);
    EXPECT_EQ(run.exitStatus, 1);
    EXPECT_EQ(run.err, c.message);
    EXPECT_FALSE(bmptest::FileExists(Out())) << "nothing is written for a refused input";
  }
  // Without --strict a file that ends early is filtered as the export filters
  // it, and one line says so.
  const bmptest::ProcessResult run = Cli({dir.File("cut.bmp"), Out(), "1"});
  EXPECT_EQ(run.exitStatus, 0);
  EXPECT_EQ(run.err, dir.File("cut.bmp") + ": the file ends early: 1999 of 2000 rows are missing" +
                         " (read as black; --strict refuses such a file)\n");
  EXPECT_TRUE(bmptest::FileExists(Out()));
}

TEST_F(CliTest, OutputFailuresNameTheOutputAndTheReason) {
  ::mkdir(dir.File("batch").c_str(), 0700);
  ::mkdir(dir.File("batch/in.bmp").c_str(), 0700);  // where batch would write in.bmp's output
  const std::string cannot = ": cannot write the output file (";
  const std::string full = "standard output: cannot write (No space left on device)\n";
  const int terminal = ::posix_openpt(O_RDWR | O_NOCTTY);
  ASSERT_TRUE(terminal >= 0 && ::grantpt(terminal) == 0 && ::unlockpt(terminal) == 0);
  const std::string toTerminal = std::string(" >") + ::ptsname(terminal);
  const std::string noise = "standard output: it is a terminal, where a picture would show as noise (redirect it to a "
                            "file, e.g. > out.bmp, or pipe it to another program)\n";
  struct Case {
    std::string command;
    std::string message;
  } const cases[] = {
      {In() + " " + dir.File("no/such/out.bmp") + " 0", dir.File("no/such/out.bmp") + cannot + "No such file or directory)\n"},
      {In() + " " + dir.Path() + " 0", dir.Path() + cannot + "Is a directory)\n"},
      {In() + " /dev/full 0", "/dev/full" + cannot + "No space left on device)\n"},
      {"batch flip " + dir.File("batch") + " " + In(), dir.File("batch/in.bmp") + cannot + "Is a directory)\n"},
      {In() + " - 0 >/dev/full", full},
      {"--list >/dev/full", full},
      {"histogram " + In() + " >/dev/full", full},
      {In() + " - flip" + toTerminal, noise},
      {"histogram " + In() + " --plot -" + toTerminal, noise},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.command);
    const bmptest::ProcessResult run = Shell(c.command);
    EXPECT_EQ(run.exitStatus, 1);
    EXPECT_EQ(run.err, c.message);
  }
  ::close(terminal);
}

TEST_F(CliTest, UsageErrorsSayWhatWasExpectedInOneLine) {
  const std::string filterForm =
      "expected bmpfilters [--keep-format] [--force] [--strict] [--max-pixels N] INPUT OUTPUT FILTER";
  const std::string batchForm =
      "expected bmpfilters batch [--jobs N] [--keep-format] [--strict] [--max-pixels N] [--recursive] "
      "[--files-from LIST [--null]] [--shard K/N] [--skip-existing] [--report FILE] [--progress] FILTER OUTDIR "
      "[INPUT...]";
  const std::string codes = " (the codes are 0 to 7; see bmpfilters --list)";
  const std::string names = " (the filters are none, outline, roberts, laplace, whiten-dark, flip and window)";
  const std::string png = dir.File("out.png");
  const std::string maxPixels = "--max-pixels needs a pixel count from 1 to 2147483647 (K, M and G mean 1024, 1024^2, 1024^3)";
  struct Case {
    std::vector<std::string> arguments;
    std::string message;
  } const cases[] = {
      {{}, filterForm},
      {{In()}, filterForm},
      {{In(), Out()}, filterForm},
      {{In(), Out(), "1", "extra"}, filterForm},
      {{In(), Out(), "sharpen"}, "unknown filter 'sharpen'" + names},
      {{In(), Out(), "Flip"}, "unknown filter 'Flip' (did you mean flip?)"},
      {{In(), Out(), "whiten"}, "unknown filter 'whiten' (did you mean whiten-dark?)"},
      {{In(), Out(), "1x"}, "unknown filter '1x'" + names},
      {{"--frobnicate", In(), Out(), "1"}, "unknown option --frobnicate"},
      {{In(), Out(), "99999999999"}, "no filter has code 99999999999" + codes},
      {{In(), Out(), "55"}, "no filter has code 55" + codes},
      {{In(), Out(), "-1"}, "no filter has code -1" + codes},
      {{In(), png, "1"}, png + ": the name says PNG, but bmpfilters writes BMP only (write " + dir.File("out") +
                              ".bmp and convert it, e.g. convert " + dir.File("out") + ".bmp " + png + "; or give --force)"},
      {{"--jobs", "2", In(), Out(), "1"}, "--jobs does not go with INPUT OUTPUT FILTER"},
      {{"batch", "flip"}, batchForm},
      {{"batch", "flip", "outdir"}, batchForm},
      {{"batch", "flip", "-", In()}, "batch writes many files into a folder: - (standard output) cannot hold them"},
      {{"batch", "flip", dir.File("o"), "-"}, "batch names each output after its input: - (standard input) has no name"},
      {{"batch", "--force", "flip", dir.File("o"), In()}, "--force does not go with batch"},
      {{"batch", "--null", "flip", dir.File("o"), In()}, "--null goes with --files-from"},
      {{"batch", "--shard", "4/4", "flip", dir.File("o"), In()}, "--shard needs K/N, whole numbers with K from 0 to N-1 (such as 0/4)"},
      {{"--recursive", In(), Out(), "1"}, "--recursive does not go with INPUT OUTPUT FILTER"},
      {{"demo", "a", "b"}, "expected bmpfilters demo [DIR]"},
      {{"demo", "--keep-format"}, "--keep-format does not go with demo"},
      {{"demo", "--strict"}, "--strict does not go with demo"},
      {{"--max-pixels", "2G", In(), Out(), "1"}, maxPixels},
      {{"--max-pixels=0", In(), Out(), "1"}, maxPixels},
      {{"--max-pixels", "1T", In(), Out(), "1"}, maxPixels},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::PrintToString(c.arguments));
    const bmptest::ProcessResult run = Cli(c.arguments);
    EXPECT_EQ(run.exitStatus, 2);
    EXPECT_EQ(run.err, "bmpfilters: " + c.message + "\ntry 'bmpfilters --help'\n");
    EXPECT_FALSE(bmptest::FileExists(Out()) || bmptest::FileExists(png));
  }
}

TEST_F(CliTest, InformationOptionsAnswerAndExitWithZero) {
  const bmptest::ProcessResult help = Cli({"--help"});
  EXPECT_EQ(help.exitStatus, 0);
  EXPECT_EQ(help.out.rfind("usage: bmpfilters", 0), 0u);
  for (const char* words : {"bmpfilters batch", "up to 1073741824 pixels", "A file named - is"}) {
    EXPECT_NE(help.out.find(words), std::string::npos) << words;
  }

  const bmptest::ProcessResult version = Cli({In(), "--version"});
  EXPECT_EQ(version.exitStatus, 0);
  EXPECT_EQ(version.out, "bmpfilters 1.0.0.1 (the TamroviBMPFilters library, file version 1, 0, 0, 1)\n");

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

  // White lettering on the gray margins: above each column of 240-pixel tiles
  // (its filter) and left of each row of 180-pixel tiles (its storage kind).
  tamrovi::CBmpImage sheet;
  ASSERT_EQ(sheet.LoadBmp((demo + "/contact-sheet.bmp").c_str()), 1);
  auto hasLettering = [&](std::int32_t left, std::int32_t top, std::int32_t width, std::int32_t height) {
    for (std::int32_t y = top; y < top + height; ++y) {
      for (std::int32_t x = left; x < left + width; ++x) {
        const std::uint8_t* pixel = sheet.m_rgbRows[y] + 3 * x;
        if (pixel[0] == 255 && pixel[1] == 255 && pixel[2] == 255) return true;
      }
    }
    return false;
  };
  for (std::int32_t column = 0; column < 8; ++column) EXPECT_TRUE(hasLettering(88 + 248 * column, 0, 240, 30));
  for (std::int32_t row = 0; row < 2; ++row) EXPECT_TRUE(hasLettering(0, 30 + 188 * row, 88, 180));
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
  std::filesystem::create_directory(dir.File("other"));
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
    // Each failure is named as it happens, so the threads decide their order.
    const std::string broken = dir.File("broken.bmp") + ": truncated BMP file (shorter than its headers)\n";
    const std::string clash =
        dir.File("other/pic0.bmp") + ": an earlier input has the same file name; its output would be overwritten\n";
    EXPECT_TRUE(run.err == broken + clash || run.err == clash + broken) << run.err;
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

namespace {

// The input named on each line of a batch report, and the summary's line.
std::vector<std::string> ReportedInputs(const std::string& report, std::string* summary = nullptr) {
  std::vector<std::string> inputs;
  std::istringstream lines(report);
  for (std::string line; std::getline(lines, line);) {
    const std::string key = "{\"input\":\"";
    if (line.rfind(key, 0) == 0) inputs.push_back(line.substr(key.size(), line.find('"', key.size()) - key.size()));
    else if (summary != nullptr) *summary = line;
  }
  return inputs;
}

TEST_F(CliTest, BatchShardsTakeEveryInputExactlyOnce) {
  // Listed files that are not there: each fails at once, and is reported.
  std::string list;
  std::multiset<std::string> names;
  for (int i = 0; i < 2000; ++i) {
    std::string name = std::to_string(i % 13);
    name.append("/n").append(std::to_string(i * 7919 % 100003)).append(".bmp");
    names.insert(name);
    list += name + "\n";
  }
  bmptest::WriteFile(dir.File("list"), Bytes(list.begin(), list.end()));
  for (const int shards : {1, 2, 3, 7}) {
    SCOPED_TRACE(shards);
    std::multiset<std::string> taken;
    for (int k = 0; k < shards; ++k) {
      const std::string shard = std::to_string(k) + "/" + std::to_string(shards);
      const bmptest::ProcessResult run =
          Cli({"batch", "-r", "--files-from", dir.File("list"), "--shard", shard, "--report", "-", "flip", dir.File("o")});
      EXPECT_EQ(run.exitStatus, 1);
      const std::vector<std::string> inputs = ReportedInputs(run.out);
      EXPECT_GT(inputs.size(), 2000u / shards / 2) << "the shards are near even";
      taken.insert(inputs.begin(), inputs.end());
    }
    EXPECT_EQ(taken, names);
  }
  EXPECT_FALSE(bmptest::FileExists(dir.File("o/0"))) << "no folder is made for an input that is not there";
}

TEST_F(CliTest, BatchKeepsFoldersReportsEachInputAndResumes) {
  for (const char* folder : {"tree", "tree/a", "tree/b", "tree/b/c"}) std::filesystem::create_directory(dir.File(folder));
  const std::vector<std::string> good = {"a/p.bmp", "b/p.bmp", "b/c/q.BMP"};
  for (const std::string& name : good) bmptest::WriteFile(dir.File("tree/" + name), picture);
  bmptest::WriteFile(dir.File("tree/b/caf\xe9.bmp"), Bytes{'B', 'M'});
  bmptest::WriteFile(dir.File("tree/notes.txt"), Bytes{'B', 'M'});
  bmptest::WriteFile(dir.File("tree/a/cut.bmp"), Bytes(picture.begin(), picture.end() - 20));  // a row short
  // The output folder inside the walked one: it is not taken for inputs.
  const std::string out = dir.File("tree/out"), report = dir.File("report.jsonl");
  const std::string failed = "{\"input\":\"" + dir.File("tree/b/caf\\\\xe9.bmp") + "\",\"output\":\"" +
                             out + "/b/caf\\\\xe9.bmp\",\"status\":\"failed\",\"reason\":\"truncated BMP file (shorter than its headers)\"";
  struct Case {
    std::vector<std::string> options;
    std::string removed;  // an output taken away before the run
    std::string summary;
    std::string shown;
  } const cases[] = {
      {{}, "", "\"written\":3,\"skipped\":0,\"warning\":1,\"failed\":1,", "{\"input\":\"" + dir.File("tree/a/cut.bmp") + "\",\"output\":\"" + out + "/a/cut.bmp\",\"status\":\"warning\",\"reason\":\"the file ends early: 1 of 5 rows are missing (read as black; --strict refuses such a file)\","},
      {{"--skip-existing"}, "a/p.bmp", "\"written\":1,\"skipped\":3,\"warning\":0,\"failed\":1,", "{\"input\":\"" + dir.File("tree/b/p.bmp") + "\",\"output\":\"" + out + "/b/p.bmp\",\"status\":\"skipped\","},
      {{"--strict"}, "", "\"written\":3,\"skipped\":0,\"warning\":0,\"failed\":2,", "{\"input\":\"" + dir.File("tree/a/cut.bmp") + "\",\"output\":\"" + out + "/a/cut.bmp\",\"status\":\"failed\",\"reason\":\"the file ends early: 1 of 5 rows are missing (refused: --strict)\","},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.summary);
    if (!c.removed.empty()) std::filesystem::remove(out + "/" + c.removed);
    std::vector<std::string> arguments = {"batch", "--recursive", "--report", report};
    arguments.insert(arguments.end(), c.options.begin(), c.options.end());
    arguments.insert(arguments.end(), {"flip", out, dir.File("tree")});
    const bmptest::ProcessResult run = Cli(arguments);
    EXPECT_EQ(run.exitStatus, 1);
    const Bytes written = bmptest::ReadFile(report);
    const std::string lines(written.begin(), written.end());
    std::string summary;
    EXPECT_EQ(ReportedInputs(lines, &summary).size(), 5u);
    EXPECT_EQ(summary.rfind("{\"summary\":true,\"inputs\":5," + c.summary, 0), 0u) << summary;
    EXPECT_NE(lines.find(c.shown), std::string::npos) << lines;
    EXPECT_NE(lines.find(failed), std::string::npos) << lines;
    for (const std::string& name : good) {
      EXPECT_EQ(bmptest::ReadFile(out + "/" + name), bmptest::FilterThroughCore(dir, picture, 5)) << name;
    }
  }
}

TEST_F(CliTest, BatchRunsOnTheProcessorsAndThreadsItCanHave) {
  const std::string tool = TAMROVI_CLI_PATH;
  const std::string batch = tool + " batch --report - -j 2 flip " + dir.File("out") + " " + In();
  struct Case {
    std::string command;
    bool underSanitizers;
  } const cases[] = {
      {"taskset -c 0 " + batch, true},
      // No room for a second thread's stack: the batch carries on alone.
      {"ulimit -s 1000000 && ulimit -v 600000 && " + batch, false},
  };
  for (const Case& c : cases) {
#if defined(__SANITIZE_ADDRESS__)
    if (!c.underSanitizers) continue;  // the sanitizers' runtime needs more address space than that
#endif
    SCOPED_TRACE(c.command);
    std::filesystem::remove_all(dir.File("out"));
    const bmptest::ProcessResult run = bmptest::RunProcess("/bin/sh", {"-c", c.command});
    EXPECT_EQ(run.exitStatus, 0) << run.err;
    EXPECT_NE(run.out.find("\"written\":1,\"skipped\":0,\"warning\":0,\"failed\":0,\"jobs\":1,"), std::string::npos) << run.out;
    EXPECT_EQ(bmptest::ReadFile(dir.File("out/in.bmp")), bmptest::FilterThroughCore(dir, picture, 5));
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.File("out")), {}), 1) << "no temporary file left";
  }
}

}  // namespace
