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

std::u16string Wide(const std::string& ascii) { return std::u16string(ascii.begin(), ascii.end()); }

TEST(FileTest, WritesReadsSeeksAndMeasures) {
  bmptest::TempDir dir;
  const std::u16string path = Wide(dir.File("data.bin"));
  {
    CFile file;
    ASSERT_TRUE(file.Open(path.c_str(), CFile::kModeCreate | CFile::kModeWrite));
    ASSERT_TRUE(file.Write("0123456789", 10));
  }  // closed here
  CFile file;
  ASSERT_TRUE(file.Open(path.c_str(), CFile::kModeRead));
  EXPECT_EQ(file.GetLength(), 10);
  EXPECT_EQ(file.Seek(4, CFile::SeekOrigin::kBegin), 4);
  EXPECT_EQ(file.Seek(2, CFile::SeekOrigin::kCurrent), 6);
  char buffer[8] = {};
  EXPECT_EQ(file.Read(buffer, 8), 4) << "only what is there arrives";
  EXPECT_EQ(std::string(buffer, 4), "6789");
}

TEST(FileTest, CreateEmptiesAnExistingFile) {
  bmptest::TempDir dir;
  bmptest::WriteFile(dir.File("old.bin"), bmptest::Bytes(100, 7));
  CFile file;
  ASSERT_TRUE(file.Open(Wide(dir.File("old.bin")).c_str(), CFile::kModeCreate | CFile::kModeWrite));
  EXPECT_EQ(file.GetLength(), 0);
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
    EXPECT_FALSE(file.Open(Wide(c.path).c_str(), CFile::kModeRead)) << "a FIFO must not block the open";
    EXPECT_EQ(file.LastError(), c.error);
  }
  CFile file;
  EXPECT_FALSE(file.Open(nullptr, CFile::kModeRead));
  const char16_t unpaired[] = {u'x', 0xD800, 0};
  EXPECT_FALSE(file.Open(unpaired, CFile::kModeCreate | CFile::kModeWrite));
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
