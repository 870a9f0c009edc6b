// Every file the fuzzer was ever stopped by (tests/regressions) and every
// seed of its corpus (fuzz/corpus), through the export with each filter code
// and through the command-line tool. The export must return 999 and write a
// whole picture or the headers of an empty one; the tool must write exactly
// what the export writes, or refuse the file in one line with exit status 1
// and write nothing.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "OutputChecks.h"
#include "support/Process.h"
#include "support/TempDir.h"
#include "tamrovibmpfilters.h"

namespace {

using namespace bmptest;

struct HostileFile {
  std::string path;
  std::string name;  // folder and file name, for messages
};

std::vector<HostileFile> FilesIn(const std::string& folder) {
  std::vector<HostileFile> files;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) {
    if (!entry.is_regular_file() || entry.path().extension() != ".bmp") continue;
    files.push_back({entry.path().string(), entry.path().parent_path().filename().string() + "/" +
                                                entry.path().filename().string()});
  }
  std::sort(files.begin(), files.end(), [](const HostileFile& a, const HostileFile& b) { return a.path < b.path; });
  return files;
}

std::vector<HostileFile> AllFiles() {
  std::vector<HostileFile> files = FilesIn(TAMROVI_REGRESSIONS_DIR);
  const std::vector<HostileFile> seeds = FilesIn(TAMROVI_SEED_CORPUS_DIR);
  files.insert(files.end(), seeds.begin(), seeds.end());
  return files;
}

bool IsOneLine(const std::string& text) {
  return !text.empty() && text.back() == '\n' && std::count(text.begin(), text.end(), '\n') == 1;
}

TEST(HostileFileTest, TheCorpusIsThere) {
  EXPECT_GE(FilesIn(TAMROVI_SEED_CORPUS_DIR).size(), 20u);
}

TEST(HostileFileTest, TheExportWritesAWholePictureOrTheHeadersAlone) {
  TempDir dir;
  const auto out = ExportPath(dir.File("out.bmp"));
  for (const HostileFile& file : AllFiles()) {
    for (std::int32_t code = 0; code <= 8; ++code) {
      SCOPED_TRACE(::testing::Message() << file.name << ", code " << code);
      std::filesystem::remove(dir.File("out.bmp"));
      EXPECT_EQ(BMPFilters(ExportPath(file.path).c_str(), out.c_str(), code), 999);
      EXPECT_EQ(Check24BitFile(ReadFile(dir.File("out.bmp"))), "");
    }
  }
}

// Spawning the tool costs more than a call: each file goes through one
// filter code, taken in turn, and through the analysis commands, the
// histogram reading it from standard input.
TEST(HostileFileTest, TheToolWritesWhatTheExportWritesOrRefusesInOneLine) {
  TempDir dir;
  const std::string out = dir.File("out.bmp");
  std::int32_t code = 0;
  for (const HostileFile& file : AllFiles()) {
    code = (code + 1) % 8;  // the tool refuses codes the table does not list
    SCOPED_TRACE(::testing::Message() << file.name << ", code " << code);
    std::filesystem::remove(dir.File("export.bmp"));
    BMPFilters(ExportPath(file.path).c_str(), ExportPath(dir.File("export.bmp")).c_str(), code);
    const Bytes exported = ReadFile(dir.File("export.bmp"));

    std::filesystem::remove(out);
    const ProcessResult filter = RunProcess(TAMROVI_CLI_PATH, {file.path, out, std::to_string(code)});
    if (filter.exitStatus == 0) {
      // Nothing, or the one line that says the file ended early.
      const bool endedEarly = filter.err.find(": the file ends early: ") != std::string::npos;
      EXPECT_TRUE(filter.err.empty() || (IsOneLine(filter.err) && endedEarly)) << filter.err;
      EXPECT_EQ(ReadFile(out), exported);
    } else {
      EXPECT_EQ(filter.exitStatus, 1);
      EXPECT_TRUE(IsOneLine(filter.err)) << filter.err;
      EXPECT_FALSE(FileExists(out));
      EXPECT_EQ(exported, HeadersOnly()) << "the export refuses what the tool refuses";
    }

    const ProcessResult histogram = RunProcess(TAMROVI_CLI_PATH, {"histogram", "-"}, file.path);
    EXPECT_EQ(histogram.exitStatus, filter.exitStatus) << histogram.err;
    if (histogram.exitStatus != 0) {
      EXPECT_TRUE(IsOneLine(histogram.err)) << histogram.err;
    }

    std::filesystem::remove(out);
    const ProcessResult smooth = RunProcess(TAMROVI_CLI_PATH, {"smooth", "--keep-format", file.path, out, "1.5"});
    EXPECT_EQ(smooth.exitStatus, filter.exitStatus) << smooth.err;
    EXPECT_EQ(FileExists(out), smooth.exitStatus == 0);
    if (smooth.exitStatus != 0) {
      EXPECT_TRUE(IsOneLine(smooth.err)) << smooth.err;
    }
  }
}

}  // namespace
