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
  ASSERT_TRUE(file.Open(dir.File("data.bin").c_str()));
  EXPECT_EQ(file.GetLength(), 6);
  char buffer[8] = {};
  EXPECT_EQ(file.Read(buffer, 8), 6) << "only what is there arrives";
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
    int error;
  } const cases[] = {{dir.File("missing.bmp"), ENOENT}, {dir.Path(), EISDIR}, {device, EINVAL}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.path);
    CFile file;
    EXPECT_FALSE(file.Open(c.path.c_str())) << "a FIFO must not block the open";
    EXPECT_EQ(file.LastError(), c.error);
  }
  CFile file;
  EXPECT_FALSE(file.Open(static_cast<const char*>(nullptr)));
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
