// The export end to end, through the real shared library.
#include <gtest/gtest.h>

#if defined(_WIN32)
#include <windows.h>
#else
#include <dlfcn.h>
#endif

#include <cstdio>
#include <cstring>
#include <set>
#include <sstream>
#include <thread>

#include "image/BmpImage.h"

#include "support/BmpBuilder.h"
#include "support/Process.h"
#include "support/StackThread.h"
#include "support/TempDir.h"

namespace {

using bmptest::Bytes;
using ExportFunction = std::int32_t (*)(const char16_t*, const char16_t*, std::int32_t);

class ExportTest : public ::testing::Test {
 protected:
#if defined(_WIN32)
  static void SetUpTestSuite() {
    s_library = ::LoadLibraryA(TAMROVI_LIBRARY_PATH);
    ASSERT_NE(s_library, nullptr) << "error " << ::GetLastError();
    s_export = reinterpret_cast<ExportFunction>(
        reinterpret_cast<void*>(::GetProcAddress(static_cast<HMODULE>(s_library), "BMPFilters")));
    ASSERT_NE(s_export, nullptr);
  }
  static void TearDownTestSuite() { ::FreeLibrary(static_cast<HMODULE>(s_library)); }
#else
  static void SetUpTestSuite() {
    s_library = dlopen(TAMROVI_LIBRARY_PATH, RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(s_library, nullptr) << dlerror();
    s_export = reinterpret_cast<ExportFunction>(dlsym(s_library, "BMPFilters"));
    ASSERT_NE(s_export, nullptr);
  }
  static void TearDownTestSuite() { dlclose(s_library); }
#endif

  static std::u16string Wide(const std::string& utf8) {
    // Test paths are ASCII but for the one test that spells its own.
    return std::u16string(utf8.begin(), utf8.end());
  }

  // Writes `input`, calls the export and returns the output file's bytes.
  Bytes Call(const Bytes& input, std::int32_t code) {
    bmptest::WriteFile(dir.File("in.bmp"), input);
    EXPECT_EQ(s_export(Wide(dir.File("in.bmp")).c_str(), Wide(dir.File("out.bmp")).c_str(), code), 999);
    return bmptest::ReadFile(dir.File("out.bmp"));
  }

  static inline void* s_library = nullptr;
  static inline ExportFunction s_export = nullptr;
  bmptest::TempDir dir;
};

const Bytes kHeadersOnly = bmptest::Make24(0, 0, {}).Build();

#if defined(_WIN32)
// Under Wine, the host program `command` run on the host's name for `path`,
// until `path` is `present` or not: Wine does not wait for a host program to
// end, so its work is looked for (and its CreateSymbolicLinkW makes links it
// cannot follow). False elsewhere, or when it did not happen.
bool OnHost(std::vector<std::string> command, const std::string& path, bool present) {
  using HostName = char*(__cdecl*)(const wchar_t*);
  const auto hostName = reinterpret_cast<HostName>(
      reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleW(L"kernel32"), "wine_get_unix_file_name")));
  const std::wstring widePath(path.begin(), path.end());
  char* name = hostName == nullptr ? nullptr : hostName(widePath.c_str());
  if (name == nullptr) return false;
  command.push_back(name);
  ::HeapFree(::GetProcessHeap(), 0, name);
  bmptest::RunProcess(command[0], {command.begin() + 1, command.end()});
  for (int look = 0; look < 500; ++look, ::Sleep(10)) {
    WIN32_FIND_DATAW found;
    const HANDLE search = ::FindFirstFileW(widePath.c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) ::FindClose(search);
    if ((search != INVALID_HANDLE_VALUE) == present) return true;
  }
  return false;
}
#endif

TEST_F(ExportTest, ExportsExactlyOneSymbol) {
#if defined(_WIN32)
  GTEST_SKIP() << "the Windows module's export table is checked by its host program and objdump";
#endif
  const bmptest::ProcessResult nm = bmptest::RunProcess("/usr/bin/nm", {"-D", "--defined-only", TAMROVI_LIBRARY_PATH});
  ASSERT_EQ(nm.exitStatus, 0) << nm.err;
  std::set<std::string> symbols;
  std::istringstream lines(nm.out);
  std::string address, type, name;
  while (lines >> address >> type >> name) symbols.insert(name);
  EXPECT_EQ(symbols, std::set<std::string>{"BMPFilters"});

  const bmptest::ProcessResult objdump = bmptest::RunProcess("/usr/bin/objdump", {"-p", TAMROVI_LIBRARY_PATH});
  EXPECT_NE(objdump.out.find("SONAME               libtamrovibmpfilters.so.1"), std::string::npos);
#if !defined(__SANITIZE_ADDRESS__)  // the sanitizers' runtimes come with the C++ runtime
  // A host loads the library with the C library alone: no C++ runtime to load
  // at start-up, nothing of it left behind when the library is unloaded.
  for (const char* runtime : {"libstdc++", "libgcc_s", "libm."}) {
    EXPECT_EQ(objdump.out.find(std::string("NEEDED               ") + runtime), std::string::npos) << runtime;
  }
#endif
}

TEST_F(ExportTest, UnlistedCodesWriteThePictureBack) {
  const Bytes bgr = bmptest::RandomBytes(5 * 4 * 3, 11);
  const Bytes expected = bmptest::Make24(5, 4, bgr).Build();
  for (std::int32_t code : {0, 8, -1, 1000, INT32_MIN}) {
    SCOPED_TRACE(code);
    EXPECT_EQ(Call(expected, code), expected);
  }
  bmptest::BmpFile unusual = bmptest::Make24(5, 4, bgr, true);
  unusual.headerSize = 124;
  EXPECT_EQ(Call(unusual.Build(), 0), expected) << "a top-down file with a 124-byte header";
  EXPECT_EQ(Call(bmptest::Make8(5, 4, bgr).Build(), 0),
            bmptest::Make24(5, 4, bmptest::GrayToBgr(Bytes(bgr.begin(), bgr.begin() + 20))).Build())
      << "an 8-bit gray file comes out as the same picture in 24-bit";
}

TEST_F(ExportTest, RefusedInputsGiveTheHeadersAlone) {
  bmptest::BmpFile tall = bmptest::Make8(1, 1, {0});
  tall.height = 1601;
  bmptest::BmpFile badTable = bmptest::Make8(2, 2, Bytes(4, 0));
  badTable.coloursUsed = 70000;
  const Bytes refused[] = {Bytes{'n', 'o'}, tall.Build(), badTable.Build(), Bytes(53, 'B')};
  for (const Bytes& input : refused) EXPECT_EQ(Call(input, 5), kHeadersOnly);

  const std::u16string out = Wide(dir.File("out.bmp"));
  EXPECT_EQ(s_export(nullptr, out.c_str(), 1), 999);
  EXPECT_EQ(bmptest::ReadFile(dir.File("out.bmp")), kHeadersOnly);
  EXPECT_EQ(s_export(Wide(dir.File("missing.bmp")).c_str(), out.c_str(), 1), 999);
  EXPECT_EQ(bmptest::ReadFile(dir.File("out.bmp")), kHeadersOnly);
  const char16_t unpaired[] = {u'/', 0xDC00, 0};
  EXPECT_EQ(s_export(unpaired, out.c_str(), 1), 999);
  EXPECT_EQ(bmptest::ReadFile(dir.File("out.bmp")), kHeadersOnly);
}

TEST_F(ExportTest, OutputsThatCannotBeNamedAreNotWritten) {
  bmptest::WriteFile(dir.File("in.bmp"), bmptest::Make24(1, 1, {1, 2, 3}).Build());
  const std::u16string in = Wide(dir.File("in.bmp"));
  EXPECT_EQ(s_export(in.c_str(), nullptr, 0), 999);
  const std::u16string unpaired = Wide(dir.File("out")) + char16_t{0xD800} + u".bmp";
  EXPECT_EQ(s_export(in.c_str(), unpaired.c_str(), 0), 999);
  EXPECT_EQ(s_export(in.c_str(), Wide(dir.File("no/folder.bmp")).c_str(), 0), 999);
  EXPECT_EQ(s_export(nullptr, nullptr, 0), 999);
}

TEST_F(ExportTest, NonAsciiPathsArriveIntact) {
  const std::string name = "bild-\xC3\xA4-\xE6\x97\xA5\xE6\x9C\xAC-\xF0\x9F\x98\x80.bmp";
  const std::u16string wideName = u"bild-\u00e4-\u65e5\u672c-\U0001F600.bmp";
  const Bytes picture = bmptest::Make24(2, 1, {1, 2, 3, 4, 5, 6}).Build();
  bmptest::WriteFile(dir.File(name), picture);
  const std::u16string in = Wide(dir.Path() + "/") + wideName;
  const std::u16string out = Wide(dir.Path() + "/") + u"aus-\u00df.bmp";
  EXPECT_EQ(s_export(in.c_str(), out.c_str(), 0), 999);
  EXPECT_EQ(bmptest::ReadFile(dir.File("aus-\xC3\x9F.bmp")), picture);
}

// Long names, counted in UTF-16 units as Windows counts them: 254 units, in a
// path longer than MAX_PATH, and (on Windows, whose names may be 255 units of
// any script) 92 characters of three UTF-8 bytes. Each is written, then read
// back by the export.
TEST_F(ExportTest, LongNamesAreWrittenAndReadBack) {
  const Bytes picture = bmptest::Make24(2, 1, {1, 2, 3, 4, 5, 6}).Build();
  bmptest::WriteFile(dir.File("in.bmp"), picture);
  const std::u16string names[] = {std::u16string(250, u'n') + u".bmp", std::u16string(80, u'\u65e5') + u".bmp"};
  for (const std::u16string& name : names) {
    SCOPED_TRACE(name.size());
    std::remove(dir.File("back.bmp").c_str());
    const std::u16string out = Wide(dir.Path() + "/") + name;
    EXPECT_EQ(s_export(Wide(dir.File("in.bmp")).c_str(), out.c_str(), 0), 999);
    EXPECT_EQ(s_export(out.c_str(), Wide(dir.File("back.bmp")).c_str(), 0), 999);
    EXPECT_EQ(bmptest::ReadFile(dir.File("back.bmp")), picture);
  }
#if defined(_WIN32)
  // A symbolic link stays and the file it leads to is replaced.
  bmptest::WriteFile(dir.File("target.bmp"), Bytes(9, 't'));
  const std::string link = dir.File("link.bmp");
  const std::wstring wideLink(link.begin(), link.end());
  const bool linked = OnHost({"/bin/ln", "-s", "target.bmp"}, link, true) ||
                      ::CreateSymbolicLinkW(wideLink.c_str(), L"target.bmp", SYMBOLIC_LINK_FLAG_ALLOW_UNPRIVILEGED_CREATE);
  if (linked) {
    s_export(Wide(dir.File("in.bmp")).c_str(), Wide(link).c_str(), 0);
    EXPECT_EQ(bmptest::ReadFile(dir.File("target.bmp")), picture);
  }
  if (!OnHost({"/bin/rm", "-f"}, link, false)) ::DeleteFileW(wideLink.c_str());  // remove_all leaves links
  if (!linked) GTEST_SKIP() << "no symbolic links can be made here";
#endif
}

TEST_F(ExportTest, AnInputMayBeItsOwnOutput) {
  const Bytes picture = bmptest::Make24(3, 2, bmptest::RandomBytes(18, 5)).Build();
  bmptest::WriteFile(dir.File("same.bmp"), picture);
  const std::u16string path = Wide(dir.File("same.bmp"));
  EXPECT_EQ(s_export(path.c_str(), path.c_str(), 0), 999);
  EXPECT_EQ(bmptest::ReadFile(dir.File("same.bmp")), picture);
}

TEST_F(ExportTest, ConcurrentCallsKeepToThemselves) {
  constexpr int kThreads = 4;
  std::vector<Bytes> pictures;
  for (int t = 0; t < kThreads; ++t) {
    pictures.push_back(bmptest::Make24(64, 48, bmptest::RandomBytes(64 * 48 * 3, 100 + t)).Build());
    bmptest::WriteFile(dir.File("in" + std::to_string(t) + ".bmp"), pictures.back());
  }
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([&, t] {
      const std::u16string in = Wide(dir.File("in" + std::to_string(t) + ".bmp"));
      const std::u16string out = Wide(dir.File("out" + std::to_string(t) + ".bmp"));
      for (int repeat = 0; repeat < 10; ++repeat) s_export(in.c_str(), out.c_str(), 0);
    });
  }
  for (std::thread& thread : threads) thread.join();
  for (int t = 0; t < kThreads; ++t) EXPECT_EQ(bmptest::ReadFile(dir.File("out" + std::to_string(t) + ".bmp")), pictures[t]);
}

// On a host's 64 KiB thread (128 KiB on 64-bit ARM Linux, its least) every code
// writes what it writes on the main thread, at the row and the width limits;
// natively, one call's own frames take 32 KiB at most beside the image object.
TEST_F(ExportTest, EveryCodeRunsOnASmallHostThread) {
#if defined(__x86_64__) && !defined(_WIN32) && !defined(__SANITIZE_ADDRESS__)
  constexpr std::ptrdiff_t kMostUsed = sizeof(tamrovi::CBmpImage) + 36 * 1024;  // and 4 KiB of thread-local storage
#else
  constexpr std::ptrdiff_t kMostUsed = bmptest::kHostThreadStack * 2;  // frames of other sizes: not measured
#endif
  const std::int32_t rows = tamrovi::kMaxRows, wide = tamrovi::kMaxWidth;
  const Bytes pictures[] = {bmptest::Make24(3, rows, bmptest::RandomBytes(9 * rows, 7)).Build(),
                            bmptest::Make24(wide, 2, bmptest::RandomBytes(6 * wide, 8)).Build(),
                            bmptest::Make8(wide, 3, bmptest::RandomBytes(3 * wide, 9)).Build()};
  for (const Bytes& picture : pictures) {
    const std::u16string in = Wide(dir.File("in.bmp")), out = Wide(dir.File("small.bmp"));
    for (std::int32_t code = 0; code <= 8; ++code) {
      SCOPED_TRACE(code);
      const Bytes expected = Call(picture, code);
      std::int32_t result = 0;
      const std::ptrdiff_t used = bmptest::RunOnThreadWithStack(
          bmptest::kHostThreadStack, [&] { result = s_export(in.c_str(), out.c_str(), code); });
      ASSERT_GE(used, 0) << "no thread";
      EXPECT_LE(used, kMostUsed);
      EXPECT_EQ(result, 999);
      EXPECT_EQ(bmptest::ReadFile(dir.File("small.bmp")), expected);
    }
  }
}

}  // namespace
