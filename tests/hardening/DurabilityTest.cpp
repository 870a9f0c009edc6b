// Whole outputs or none, by export and tool, on a disk that fills; failures never pass
// for success; names print on one line. Signals and races: durability.sh.
#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <filesystem>
#include <sched.h>
#include <set>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <thread>

#include "cli/Commands.h"
#include "cli/Messages.h"
#include "image/BmpWriter.h"
#include "platform/Allocation.h"
#include "platform/OutputFile.h"
#include "support/ImageFixture.h"
#include "support/Process.h"
#include "tamrovibmpfilters.h"

namespace {

using namespace bmptest;

std::u16string Wide(const std::string& path) { return std::u16string(path.begin(), path.end()); }

class DurabilityTest : public ::testing::Test {
 protected:
  // Writes fail a few kilobytes on in `dir`: a small tmpfs, filled, where the
  // test may mount one; else RLIMIT_FSIZE, SIGXFSZ ignored.
  void SetUp() override {
    mounted = unshare(CLONE_NEWNS) == 0 && mount("none", "/", "none", MS_REC | MS_PRIVATE, nullptr) == 0 &&
              mount("tmpfs", dir.Path().c_str(), "tmpfs", 0, "size=1m") == 0;
    std::signal(SIGXFSZ, SIG_IGN);
  }
  void TearDown() override { EXPECT_TRUE(!mounted || umount2(dir.Path().c_str(), MNT_DETACH) == 0); }
  void Fill(bool full) {
    const rlimit limit{full && !mounted ? 4096 : RLIM_INFINITY, RLIM_INFINITY};
    setrlimit(RLIMIT_FSIZE, &limit);
    if (mounted && !full) std::filesystem::remove(dir.File(".filler"));
    if (struct statvfs disk {}; mounted && full && statvfs(dir.Path().c_str(), &disk) == 0) {
      WriteFile(dir.File(".filler"), Bytes(disk.f_bavail * disk.f_frsize - 4096, 0));
    }
  }
  std::string Reason() const { return mounted ? "(No space left on device)" : "(File too large)"; }
  std::set<std::string> Listing() const {
    std::set<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(dir.Path())) names.insert(entry.path().filename());
    return names;
  }
  // Flips `in` into `out` by the export or the tool, which must fail naming
  // `out` when the disk is full.
  void Flip(bool tool, const std::string& in, const std::string& out, bool full) {
    Fill(full);
    EXPECT_TRUE(tool || BMPFilters(Wide(in).c_str(), Wide(out).c_str(), 5) == 999);
    const ProcessResult run = tool ? RunProcess(TAMROVI_CLI_PATH, {in, out, "flip"}) : ProcessResult{full, "", ""};
    Fill(false);
    EXPECT_EQ(run.exitStatus, full ? 1 : 0);
    EXPECT_EQ(run.err, full && tool ? out + ": cannot write the output file " + Reason() + "\n" : "");
  }
  TempDir dir, scratch;
  bool mounted = false;
  const std::string photo = dir.File("photo.bmp"), old = dir.File("old.bmp");
  const Bytes picture = Make24(90, 60, RandomBytes(3 * 90 * 60, 5)).Build();
  const Bytes flipped = FilterThroughCore(scratch, picture, 5);
};

// Failing, no file changes and none is left; else links and modes stay.
TEST_F(DurabilityTest, AFullDiskLeavesEveryOutputAsItWas) {
  const std::string symbolic = dir.File("link.bmp"), target = dir.File("target.bmp");
  const std::string cases[][3] = {
      {"in place", photo, photo}, {"over an old, hard-linked output", old, old}, {"through a link", symbolic, target}};
  for (const bool tool : {false, true}) {
    for (const auto& [what, out, shown] : cases) {
      SCOPED_TRACE(::testing::Message() << (tool ? "tool, " : "export, ") << what);
      WriteFile(photo, picture), WriteFile(old, Bytes(500, 'o')), WriteFile(target, Bytes(9, 't'));
      unlink(symbolic.c_str()), unlink(dir.File("hard").c_str()), symlink("target.bmp", symbolic.c_str());
      link(old.c_str(), dir.File("hard").c_str()), chmod(old.c_str(), 0640);
      const Bytes before = ReadFile(shown);
      const std::filesystem::perms mode = std::filesystem::status(shown).permissions();
      const std::set<std::string> names = Listing();
      Flip(tool, photo, out, true);
      EXPECT_EQ(ReadFile(shown), before);
      EXPECT_EQ(Listing(), names) << "no temporary file is left";
      Flip(tool, photo, out, false);
      EXPECT_EQ(ReadFile(shown), flipped);
      EXPECT_EQ(Listing(), names);
      EXPECT_EQ(std::filesystem::is_symlink(out), out == symbolic);
      EXPECT_EQ(std::filesystem::status(shown).permissions(), mode);
    }
  }
}

// Wherever a write fails (a file-size limit), the old file stays.
TEST_F(DurabilityTest, EveryFailedWriteOfBothSavesKeepsTheOldFile) {
  tamrovi::CBmpImage image;
  ASSERT_EQ(LoadBytes(image, scratch, Make8(9, 7, RandomBytes(63, 9)).Build()), 1);
  for (rlim_t limit = 0; limit < 250; limit += 7) {  // 250: the 24-bit file
    WriteFile(old, picture);
    const rlimit capped{limit, RLIM_INFINITY}, lifted{RLIM_INFINITY, RLIM_INFINITY};
    setrlimit(RLIMIT_FSIZE, &capped);
    EXPECT_EQ(image.SaveBmp24(old.c_str()), 0) << limit;
    const tamrovi::CResult dib = tamrovi::SaveToPath(
        old.c_str(), [&](const tamrovi::CByteSink& out) { return tamrovi::WriteFileImage(image, out); });
    setrlimit(RLIMIT_FSIZE, &lifted);
    EXPECT_EQ(dib.systemError, EFBIG);
    EXPECT_EQ(ReadFile(old), picture);
  }
}

TEST_F(DurabilityTest, PlotsFifosAndDevices) {
  WriteFile(photo, picture), WriteFile(old, Bytes(10, 'p'));
  Fill(true);
  const ProcessResult plot = RunProcess(TAMROVI_CLI_PATH, {"histogram", photo, "--plot", old});
  Fill(false);
  EXPECT_EQ(plot.err, old + ": cannot write the output file " + Reason() + "\n");
  EXPECT_EQ(ReadFile(old), Bytes(10, 'p'));
  EXPECT_EQ(Listing(), (std::set<std::string>{"old.bmp", "photo.bmp"}));
  // A FIFO nobody reads is refused at once; devices are written, never removed.
  const std::string fifo = dir.File("fifo");
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  EXPECT_EQ(BMPFilters(Wide(photo).c_str(), Wide(fifo).c_str(), 5), 999);
  EXPECT_EQ(RunProcess(TAMROVI_CLI_PATH, {photo, fifo, "5"}).err,
            fifo + ": cannot write the output file (No such device or address)\n");
  EXPECT_EQ(RunProcess(TAMROVI_CLI_PATH, {photo, "/dev/full", "5"}).exitStatus, 1);
  EXPECT_TRUE(FileExists("/dev/full"));
}

TEST_F(DurabilityTest, ConcurrentExportsLeaveOneWholeOutput) {
  WriteFile(photo, picture);
  std::vector<Bytes> outputs;
  for (std::int32_t code = 0; code < 8; ++code) outputs.push_back(FilterThroughCore(scratch, picture, code));
  const std::u16string in = Wide(photo), out = Wide(old);
  for (int round = 0; round < 20; ++round) {
    std::vector<std::thread> calls;
    for (std::int32_t code = 0; code < 8; ++code) calls.emplace_back(BMPFilters, in.c_str(), out.c_str(), code);
    for (std::thread& call : calls) call.join();
    EXPECT_NE(std::find(outputs.begin(), outputs.end(), ReadFile(old)), outputs.end()) << "round " << round;
  }
  EXPECT_EQ(Listing(), (std::set<std::string>{"old.bmp", "photo.bmp"}));
}

// Another writer renames its file over the output after the writer looked
// at the name and before it opens it (the writer's seam): the output is still
// replaced by renaming, and the other writer's file is never written in place.
TEST_F(DurabilityTest, AWriterRacedBetweenItsChecksStillRenames) {
  static std::string rival;
  rival = dir.File("rival");
  WriteFile(photo, picture);
  for (const bool fifo : {false, true}) {
    SCOPED_TRACE(fifo ? "over a FIFO" : "over a file");
    std::filesystem::remove(old), std::filesystem::remove(dir.File("rival-kept"));
    fifo ? void(mkfifo(old.c_str(), 0600)) : WriteFile(old, Bytes(500, 'o'));
    WriteFile(rival, Bytes(700, 'r')), link(rival.c_str(), dir.File("rival-kept").c_str());
    tamrovi::CallBeforeOpening([](const char* path) { rename(rival.c_str(), path); });
    BMPFilters(Wide(photo).c_str(), Wide(old).c_str(), 5);
    tamrovi::CallBeforeOpening(nullptr);
    EXPECT_EQ(ReadFile(old), flipped);
    EXPECT_EQ(ReadFile(dir.File("rival-kept")), Bytes(700, 'r'));
  }
}

// Nobody else can open the picture while it is written; the replacement then
// takes the old file's mode, a new file the umask's.
TEST_F(DurabilityTest, ATemporaryFileIsPrivateUntilItIsRenamed) {
  const mode_t mask = umask(027);
  for (const bool replacing : {true, false}) {
    std::filesystem::remove(old);
    if (replacing) WriteFile(old, Bytes(5, 'o')), chmod(old.c_str(), 0604);
    tamrovi::COutputFile file;
    ASSERT_TRUE(file.Open(old.c_str()).Ok() && file.Write("BM", 2).Ok());
    for (const std::string& name : Listing()) {
      struct stat status {};
      if (name.rfind(".old.bmp.", 0) == 0 && stat(dir.File(name).c_str(), &status) == 0) {
        EXPECT_EQ(status.st_mode & 0777, 0600u) << name;
      }
    }
    ASSERT_TRUE(file.Commit().Ok());
    struct stat status {};
    EXPECT_EQ(stat(old.c_str(), &status), 0);
    EXPECT_EQ(status.st_mode & 0777, replacing ? 0604u : 0640u);
  }
  umask(mask);
}

// A filter without work rows has not run (the export: FaultInjectionTest).
TEST_F(DurabilityTest, AFilterThatCouldNotRunIsAFailure) {
  WriteFile(photo, picture);
  const std::string noFilter = photo + ": out of memory (the filter could not run; nothing was written)";
  for (std::int32_t code = 1; code <= 3; ++code) {
    const Bytes filtered = FilterThroughCore(scratch, picture, code);
    std::string error;
    for (std::int64_t n = 1; n < 100 && error != noFilter; ++n) {
      std::filesystem::remove(old);
      tamrovi::cli::FileOutcome outcome;
      tamrovi::FailNthAllocation(n);
      const bool written = tamrovi::cli::FilterFile(photo, old, code, {}, outcome);
      error = outcome.error;
      tamrovi::FailNthAllocation(0);
      EXPECT_EQ(written, error.empty());
      EXPECT_EQ(ReadFile(old), written ? filtered : Bytes());
    }
    EXPECT_EQ(error, noFilter) << code;
  }
}

TEST_F(DurabilityTest, AnyNameOpensAndPrintsOnOneLine) {
  using tamrovi::cli::Printable;
  EXPECT_EQ(Printable("\xC3\xA9 a\x1B[2Jb\r\n\t\x7F\xC2\x9B\xE9\xC3.bmp"),
            "\xC3\xA9 a\\x1b[2Jb\\r\\n\\t\\x7f\\xc2\\x9b\\xe9\\xc3.bmp");
  const std::string forged = dir.File("a\x1B[31m\nforged: done.bmp");
  EXPECT_EQ(RunProcess(TAMROVI_CLI_PATH, {forged, photo, "5"}).err,
            Printable(forged) + ": cannot open the file (No such file or directory)\n");
  WriteFile(dir.File("caf\xE9.bmp"), picture);
  EXPECT_EQ(RunProcess(TAMROVI_CLI_PATH, {dir.File("caf\xE9.bmp"), photo, "5"}).exitStatus, 0);
  const std::u16string escaped = u"\xDCE9.bmp";  // the byte E9, in either path
  EXPECT_EQ(BMPFilters((Wide(dir.File("caf")) + escaped).c_str(), (Wide(dir.File("out")) + escaped).c_str(), 5), 999);
  EXPECT_EQ(ReadFile(dir.File("out\xE9.bmp")), flipped);
}

}  // namespace
