// Nothing a user had is lost: outputs are replaced whole or not at all, by
// the export and by the tool alike, on a file system that fills up; a failure
// is never reported as success; names in messages stay on one line; a call
// fits a small thread stack. Signals and concurrent tools: durability.sh.
#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <cstdlib>
#include <dirent.h>
#include <functional>
#include <pthread.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <thread>
#include <unistd.h>

#include "cli/Commands.h"
#include "cli/Messages.h"
#include "image/BmpImage.h"
#include "platform/Allocation.h"
#include "platform/OutputFile.h"
#include "support/ImageFixture.h"
#include "support/Process.h"
#include "tamrovibmpfilters.h"

namespace {

using namespace bmptest;

std::u16string Wide(const std::string& path) { return std::u16string(path.begin(), path.end()); }

// A folder where writes fail once a few kilobytes more are written: a small
// tmpfs filled to the brim where the test may mount one, otherwise the same
// failure from RLIMIT_FSIZE, with SIGXFSZ ignored so that the write fails
// with its reason instead of ending the process.
class FillingDisk {
 public:
  FillingDisk() {
    m_mounted = unshare(CLONE_NEWNS) == 0 && mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) == 0 &&
                mount("tmpfs", dir.Path().c_str(), "tmpfs", 0, "size=1m") == 0;
    std::signal(SIGXFSZ, SIG_IGN);
  }
  ~FillingDisk() {
    Empty();
    if (m_mounted) umount2(dir.Path().c_str(), MNT_DETACH);
  }
  // From now on at most about `room` more bytes can be written.
  void Fill(std::int64_t room) {
    if (!m_mounted) {
      const rlimit limit{static_cast<rlim_t>(room), RLIM_INFINITY};
      setrlimit(RLIMIT_FSIZE, &limit);
      return;
    }
    struct statvfs disk {};
    statvfs(dir.Path().c_str(), &disk);
    const std::int64_t free = static_cast<std::int64_t>(disk.f_bavail) * static_cast<std::int64_t>(disk.f_frsize);
    WriteFile(Filler(), Bytes(static_cast<std::size_t>(free > room ? free - room : 0), 0));
  }
  void Empty() {
    const rlimit unlimited{RLIM_INFINITY, RLIM_INFINITY};
    setrlimit(RLIMIT_FSIZE, &unlimited);
    unlink(Filler().c_str());
  }
  // What a failed write reports: the disk is full, or the file too large.
  std::string Reason() const { return m_mounted ? "(No space left on device)" : "(File too large)"; }

  TempDir dir;

 private:
  std::string Filler() const { return dir.File(".filler"); }
  bool m_mounted = false;
};

// Names in `folder`, sorted, "." and ".." and the filler aside.
std::vector<std::string> Listing(const std::string& folder) {
  std::vector<std::string> names;
  DIR* listing = opendir(folder.c_str());
  while (const dirent* entry = listing != nullptr ? readdir(listing) : nullptr) {
    const std::string name = entry->d_name;
    if (name != "." && name != ".." && name != ".filler") names.push_back(name);
  }
  if (listing != nullptr) closedir(listing);
  std::sort(names.begin(), names.end());
  return names;
}

struct Writer {
  const char* name;
  // Flips `in` into `out`; the tool's exit status and message are checked
  // against `failing`, the export's result shows in the file alone.
  std::function<void(const std::string& in, const std::string& out, bool failing, const std::string& reason)> run;
};

const Writer kWriters[] = {
    {"export",
     [](const std::string& in, const std::string& out, bool, const std::string&) {
       EXPECT_EQ(BMPFilters(Wide(in).c_str(), Wide(out).c_str(), 5), 999);
     }},
    {"tool",
     [](const std::string& in, const std::string& out, bool failing, const std::string& reason) {
       const ProcessResult run = RunProcess(TAMROVI_CLI_PATH, {in, out, "flip"});
       EXPECT_EQ(run.exitStatus, failing ? 1 : 0);
       EXPECT_EQ(run.err, failing ? out + ": cannot write the output file " + reason + "\n" : "");
     }},
};

class DurabilityTest : public ::testing::Test {
 protected:
  FillingDisk disk;
  TempDir scratch;
  const std::string photo = disk.dir.File("photo.bmp");
  const Bytes picture = Make24(90, 60, RandomBytes(3 * 90 * 60, 5)).Build();
  const Bytes flipped = FilterThroughCore(scratch, picture, 5);
};

// In place, over an old output, through a symbolic link and over a hard link:
// a write that fails leaves every file as it was and no temporary file; one
// that succeeds replaces the file whole and keeps the link and the file's
// permission bits.
TEST_F(DurabilityTest, AFullDiskLeavesEveryOutputAsItWas) {
  const std::string old = disk.dir.File("old.bmp"), target = disk.dir.File("target.bmp");
  const Bytes oldBytes(500, 'o');
  struct Case {
    const char* what;
    std::string in, out, shown;  // shown: the file the output path reaches
  } const cases[] = {
      {"in place", photo, photo, photo},
      {"over an old output", photo, old, old},
      {"through a symbolic link", photo, disk.dir.File("link.bmp"), target},
      {"over a hard link", photo, disk.dir.File("hard.bmp"), disk.dir.File("hard.bmp")},
  };
  for (const Writer& writer : kWriters) {
    for (const Case& c : cases) {
      SCOPED_TRACE(::testing::Message() << writer.name << ", " << c.what);
      WriteFile(photo, picture);
      WriteFile(old, oldBytes);
      WriteFile(target, oldBytes);
      chmod(old.c_str(), 0640);
      unlink(disk.dir.File("link.bmp").c_str()), unlink(disk.dir.File("hard.bmp").c_str());
      symlink("target.bmp", disk.dir.File("link.bmp").c_str());
      link(old.c_str(), disk.dir.File("hard.bmp").c_str());
      const Bytes before = ReadFile(c.shown);
      const std::vector<std::string> names = Listing(disk.dir.Path());

      disk.Fill(4096);
      writer.run(c.in, c.out, true, disk.Reason());
      disk.Empty();
      EXPECT_EQ(ReadFile(c.shown), before);
      EXPECT_EQ(Listing(disk.dir.Path()), names) << "no temporary file is left";

      writer.run(c.in, c.out, false, "");
      EXPECT_EQ(ReadFile(c.shown), flipped);
      EXPECT_EQ(Listing(disk.dir.Path()), names);
      struct stat status {};
      lstat(c.out.c_str(), &status);
      EXPECT_EQ(S_ISLNK(status.st_mode), c.out != c.shown) << "a link stays a link";
      EXPECT_TRUE(c.shown != old || (status.st_mode & 0777) == 0640) << "the permission bits stay";
    }
  }
}

// Every point where a write can fail, through the write-failure switch: the
// old file stays whole, and the save says why it failed.
TEST_F(DurabilityTest, EveryFailedWriteOfBothSavesKeepsTheOldFile) {
  tamrovi::CBmpImage image;
  ASSERT_EQ(LoadBytes(image, disk.dir, Make8(9, 7, RandomBytes(63, 9)).Build()), 1);
  const std::string out = disk.dir.File("out.bmp");
  for (std::int64_t limit = 0; limit < 250; limit += 7) {  // 250: the 24-bit file
    SCOPED_TRACE(limit);
    WriteFile(out, picture);
    tamrovi::LimitWrittenBytes(limit);
    EXPECT_EQ(image.SaveBmp24(out.c_str()) + image.SaveDib(out.c_str()), 0);
    tamrovi::LimitWrittenBytes(-1);
    EXPECT_EQ(image.m_saveSystemError, ENOSPC);
    EXPECT_EQ(ReadFile(out), picture);
  }
}

TEST_F(DurabilityTest, APlotThatDoesNotFitLeavesTheOldPlot) {
  WriteFile(photo, picture);
  const std::string plot = disk.dir.File("plot.bmp");
  WriteFile(plot, Bytes(10, 'p'));
  disk.Fill(4096);
  const ProcessResult run = RunProcess(TAMROVI_CLI_PATH, {"histogram", photo, "--plot", plot});
  disk.Empty();
  EXPECT_EQ(run.exitStatus, 1);
  EXPECT_EQ(run.err, plot + ": cannot write the output file " + disk.Reason() + "\n");
  EXPECT_EQ(ReadFile(plot), Bytes(10, 'p'));
  EXPECT_EQ(Listing(disk.dir.Path()), (std::vector<std::string>{"photo.bmp", "plot.bmp"}));
}

// Devices are written in place and never removed; a FIFO nobody reads is
// refused at once, by both.
TEST_F(DurabilityTest, OutputsThatAreNotFilesAreWrittenInPlaceOrRefusedAtOnce) {
  WriteFile(photo, picture);
  const std::string fifo = disk.dir.File("fifo");
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  EXPECT_EQ(BMPFilters(Wide(photo).c_str(), Wide(fifo).c_str(), 5), 999);
  const ProcessResult unread = RunProcess(TAMROVI_CLI_PATH, {photo, fifo, "flip"});
  EXPECT_EQ(unread.exitStatus, 1);
  EXPECT_EQ(unread.err, fifo + ": cannot write the output file (No such device or address)\n");
  for (const char* device : {"/dev/null", "/dev/full"}) {
    const ProcessResult run = RunProcess(TAMROVI_CLI_PATH, {photo, device, "flip"});
    EXPECT_EQ(run.exitStatus, device[5] == 'f' ? 1 : 0) << device;
    EXPECT_TRUE(FileExists(device));
  }
}

// Eight calls racing for one output leave one of their pictures, whole.
TEST_F(DurabilityTest, ConcurrentExportsLeaveOneWholeOutput) {
  WriteFile(photo, picture);
  const std::string out = disk.dir.File("out.bmp");
  std::vector<Bytes> outputs;
  for (std::int32_t code = 0; code < 8; ++code) outputs.push_back(FilterThroughCore(scratch, picture, code));
  for (int round = 0; round < 20; ++round) {
    std::vector<std::thread> calls;
    for (std::int32_t code = 0; code < 8; ++code) {
      calls.emplace_back([&, code] { BMPFilters(Wide(photo).c_str(), Wide(out).c_str(), code); });
    }
    for (std::thread& call : calls) call.join();
    EXPECT_NE(std::find(outputs.begin(), outputs.end(), ReadFile(out)), outputs.end()) << "round " << round;
  }
  EXPECT_EQ(Listing(disk.dir.Path()), (std::vector<std::string>{"out.bmp", "photo.bmp"}));
}

// A filter without its work rows has not run: the export writes the headers
// that mark a failed call, the tool says so and writes nothing.
TEST_F(DurabilityTest, AFilterThatCouldNotRunIsAFailure) {
  WriteFile(photo, picture);
  const std::string out = disk.dir.File("out.bmp");
  for (std::int32_t code = 1; code <= 3; ++code) {
    SCOPED_TRACE(code);
    const Bytes filtered = FilterThroughCore(scratch, picture, code);
    bool failed = false;
    for (std::int64_t n = 1; !failed && n < 100; ++n) {
      unlink(out.c_str());
      std::string error;
      tamrovi::FailNthAllocation(n);
      const bool written = tamrovi::cli::FilterFile(photo, out, code, false, error);
      tamrovi::FailNthAllocation(0);
      failed = error == photo + ": out of memory (the filter could not run; nothing was written)";
      EXPECT_EQ(written, error.empty());
      EXPECT_EQ(FileExists(out), written);
      EXPECT_TRUE(!written || ReadFile(out) == filtered);
    }
    EXPECT_TRUE(failed);
  }
}

// Names are printed as they are, but for control characters and bytes that
// are not UTF-8; and such names open.
TEST_F(DurabilityTest, AnyNameOpensAndPrintsOnOneLine) {
  using tamrovi::cli::Printable;
  EXPECT_EQ(Printable("caf\xC3\xA9 \xE6\x97\xA5.bmp"), "caf\xC3\xA9 \xE6\x97\xA5.bmp");
  EXPECT_EQ(Printable("a\x1B[2Jb\r\n\t\x7F\xC2\x9B.bmp"), "a\\x1b[2Jb\\r\\n\\t\\x7f\\xc2\\x9b.bmp");
  EXPECT_EQ(Printable("caf\xE9\xC3.bmp"), "caf\\xe9\\xc3.bmp");

  const std::string forged = disk.dir.File("a\x1B[31m\nforged: done.bmp");
  const ProcessResult missing = RunProcess(TAMROVI_CLI_PATH, {forged, photo, "flip"});
  EXPECT_EQ(missing.err, Printable(forged) + ": cannot open the file (No such file or directory)\n");

  WriteFile(disk.dir.File("caf\xE9.bmp"), picture);
  const ProcessResult latin1 = RunProcess(TAMROVI_CLI_PATH, {disk.dir.File("caf\xE9.bmp"), photo, "flip"});
  EXPECT_EQ(latin1.exitStatus, 0) << latin1.err;
  EXPECT_EQ(ReadFile(photo), flipped);
  const std::u16string escaped = Wide(disk.dir.File("caf")) + u"\xDCE9.bmp";
  EXPECT_EQ(BMPFilters(escaped.c_str(), Wide(disk.dir.File("out.bmp")).c_str(), 5), 999);
  EXPECT_EQ(ReadFile(disk.dir.File("out.bmp")), flipped);
}

// One export call on a thread of 64 KiB of stack, at both ends of the picture
// sizes, for every code; its own frames take at most 32 KiB beside the object.
TEST_F(DurabilityTest, AnExportRunsOnA64KiBStack) {
  constexpr std::size_t kStack = 64 * 1024;
  const Bytes inputs[] = {picture, Make24(tamrovi::kMaxWidth, 2, Bytes(6 * tamrovi::kMaxWidth, 40)).Build(),
                          Make8(tamrovi::kMaxWidth, 3, Bytes(3 * tamrovi::kMaxWidth, 200)).Build()};
  auto* stack = static_cast<std::uint8_t*>(std::aligned_alloc(4096, kStack));
  for (const Bytes& input : inputs) {
    WriteFile(photo, input);
    for (std::int32_t code = 0; code <= 8; ++code) {
      std::fill(stack, stack + kStack, 0xA5);
      pthread_attr_t attributes;
      pthread_attr_init(&attributes);
      pthread_attr_setstack(&attributes, stack, kStack);
      struct Call {
        std::u16string in, out;
        std::int32_t code;
      } call{Wide(photo), Wide(disk.dir.File("out.bmp")), code};
      pthread_t thread;
      ASSERT_EQ(pthread_create(&thread, &attributes, [](void* c) -> void* {
        const auto* call = static_cast<Call*>(c);
        BMPFilters(call->in.c_str(), call->out.c_str(), call->code);
        return nullptr;
      }, &call), 0);
      pthread_join(thread, nullptr);
      pthread_attr_destroy(&attributes);
      const auto used = static_cast<std::size_t>(stack + kStack - std::find_if(stack, stack + kStack, [](std::uint8_t b) {
                                                   return b != 0xA5;
                                                 }));
#if !defined(__SANITIZE_ADDRESS__)  // the sanitizer's frames are larger, and its checks run on this stack
      EXPECT_LE(used, sizeof(tamrovi::CBmpImage) + 32 * 1024 + 4096) << "code " << code;  // 4096: the thread's own
#endif
      RecordProperty("stack bytes, code " + std::to_string(code), static_cast<int>(used));
    }
  }
  std::free(stack);
}

}  // namespace
