#include <gtest/gtest.h>

#include <cerrno>
#if !defined(_WIN32)
#include <sys/stat.h>
#endif

#include "platform/File.h"
#include "platform/Palette.h"
#include "support/BmpBuilder.h"
#include "support/TempDir.h"

namespace tamrovi {
namespace {

TEST(FileTest, ReadsAndMeasures) {
  bmptest::TempDir dir;
  bmptest::WriteFile(dir.File("data.bin"), bmptest::Bytes{'0', '1', '2', '3', '4', '5'});
  CFile file;
  ASSERT_TRUE(file.Open(dir.File("data.bin").c_str()).Ok());
  EXPECT_EQ(file.GetLength().value, 6);
  char buffer[8] = {};
  const CResultOf<std::int64_t> got = file.Read(buffer, 8);
  EXPECT_TRUE(got.result.Ok());
  EXPECT_EQ(got.value, 6) << "only what is there arrives";
  EXPECT_EQ(std::string(buffer, 6), "012345");
}

TEST(FileTest, ReadOnlyOpenRefusesWhatIsNotARegularFile) {
  bmptest::TempDir dir;
#if defined(_WIN32)
  const std::string device = "NUL";  // Windows has no FIFO a path names; its null device stands in
#else
  const std::string device = dir.File("fifo");
  ASSERT_EQ(::mkfifo(device.c_str(), 0600), 0);
#endif
  struct Case {
    std::string path;
    Reason reason;
    int error;
  } const cases[] = {{dir.File("missing.bmp"), Reason::kCannotOpen, ENOENT},
                     {dir.Path(), Reason::kNotRegularFile, EISDIR},
                     {device, Reason::kNotRegularFile, EINVAL}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.path);
    CFile file;
    const CResult opened = file.Open(c.path.c_str());
    EXPECT_EQ(opened.reason, c.reason) << "a FIFO must not block the open";
    EXPECT_EQ(opened.systemError, c.error);
  }
  CFile file;
  EXPECT_EQ(file.Open(static_cast<const char*>(nullptr)).reason, Reason::kCannotOpen);
}

TEST(PaletteTest, HoldsTheEntriesItWasMadeFrom) {
  struct {
    LogPalette head;
    PaletteEntry more[2];
  } record{{kLogPaletteVersion, 3, {{1, 2, 3, 0}}}, {{4, 5, 6, 0}, {7, 8, 9, 0}}};
  CPalette palette;
  EXPECT_FALSE(palette.HasPalette());
  ASSERT_TRUE(palette.CreatePalette(record.head));
  EXPECT_TRUE(palette.HasPalette());
  EXPECT_EQ(palette.Version(), 0x300);
  ASSERT_EQ(palette.EntryCount(), 3);
  EXPECT_EQ(palette.Entry(2).red, 7);
  EXPECT_EQ(palette.Entry(2).blue, 9);
  palette.DeleteObject();
  EXPECT_FALSE(palette.HasPalette());
  palette.DeleteObject();  // deleting an empty palette does nothing
}

}  // namespace
}  // namespace tamrovi
