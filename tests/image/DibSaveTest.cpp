// Writing the loaded file image back, and selecting the palette into a
// device context.
#include <gtest/gtest.h>

#include "image/BmpImage.h"
#include "platform/DeviceContext.h"
#include "support/ImageFixture.h"

namespace tamrovi {
namespace {

using bmptest::BmpFile;
using bmptest::Bytes;

// A context that keeps every call made to it, in order.
class CRecordingContext : public CDeviceContext {
 public:
  enum class Kind { kSelectPalette, kRealizePalette };
  struct Call {
    Kind kind;
    const CPalette* palette;
    bool forceBackground;
  };
  using CDeviceContext::CDeviceContext;

  const CPalette* SelectPalette(const CPalette* palette, bool forceBackground) noexcept override {
    calls.push_back({Kind::kSelectPalette, palette, forceBackground});
    return CDeviceContext::SelectPalette(palette, forceBackground);
  }
  int RealizePalette() noexcept override {
    calls.push_back({Kind::kRealizePalette, SelectedPalette(), false});
    return CDeviceContext::RealizePalette();
  }

  std::vector<Call> calls;
};

class DibSaveTest : public ::testing::Test {
 protected:
  int Load(const BmpFile& file) { return bmptest::LoadBytes(image, dir, file.Build()); }
  std::string Out() const { return dir.File("out.bmp"); }

  bmptest::TempDir dir;
  CBmpImage image;
};

TEST_F(DibSaveTest, EightBitFilesComeBackButForTheRebuiltFileHeader) {
  BmpFile larger = bmptest::Make8(5, 2, bmptest::RandomBytes(10, 3));
  larger.headerSize = 124;
  larger.gap = Bytes(6, 0xAB);  // the pixel offset is kept, so both come back
  std::vector<BmpFile> files = {larger};
  for (std::int32_t width : {1, 2, 3, 4, 5, 7}) {
    for (bool topDown : {false, true}) {
      files.push_back(bmptest::Make8(width, 3, bmptest::RandomBytes(3 * static_cast<std::size_t>(width), width),
                                     topDown, bmptest::GrayColourTable(topDown ? 16 : 256)));
    }
  }
  for (BmpFile& file : files) {
    SCOPED_TRACE(::testing::Message() << "width " << file.width << " height " << file.height);
    file.fileSize = 12345;
    file.reserved1 = 7;
    file.reserved2 = 9;
    ASSERT_EQ(Load(file), 1);
    ASSERT_EQ(image.SaveDib(Out().c_str()), 1);
    file.fileSize = file.reserved1 = file.reserved2 = 0;  // as rebuilt: the true size, reserved 0
    EXPECT_EQ(bmptest::ReadFile(Out()), file.Build());
  }
}

TEST_F(DibSaveTest, AShortFileComesBackWithEveryRowWhole) {
  BmpFile file = bmptest::Make8(6, 3, bmptest::RandomBytes(18, 5));
  const std::size_t held = 10;
  std::fill(file.pixels.begin() + held, file.pixels.end(), 0);
  const Bytes whole = file.Build();
  file.pixels.resize(held);
  ASSERT_EQ(Load(file), 1);
  ASSERT_EQ(image.SaveDib(Out().c_str()), 1);
  EXPECT_EQ(bmptest::ReadFile(Out()), whole);
}

TEST_F(DibSaveTest, NothingIsLeftWhereNoWholeFileCouldBeWritten) {
  EXPECT_EQ(image.SaveDib(Out().c_str()), 0) << "an empty object";
  EXPECT_FALSE(bmptest::FileExists(Out()));
  ASSERT_EQ(Load(bmptest::Make8(4, 4, Bytes(16, 1))), 1);
  for (const char* path : {static_cast<const char*>(nullptr), dir.Path().c_str()}) {
    EXPECT_EQ(image.SaveDib(path), 0) << (path ? path : "null");
  }
  if (bmptest::FileExists("/dev/full")) {
    EXPECT_EQ(image.SaveDib("/dev/full"), 0) << "a write error is a failure, not a success";
    EXPECT_TRUE(bmptest::FileExists("/dev/full")) << "only regular files are removed after a failed write";
  }
}

TEST_F(DibSaveTest, ThePaletteIsSelectedRealisedAndTheEarlierOneRestored) {
  ASSERT_EQ(Load(bmptest::Make8(2, 2, {0, 1, 2, 3}, false, bmptest::GrayColourTable(4))), 1);
  const CPalette earlier;
  CRecordingContext context(&earlier);
  EXPECT_EQ(image.SelectPaletteInto(context), 1);
  ASSERT_EQ(context.calls.size(), 3u);
  using Kind = CRecordingContext::Kind;
  const std::tuple<Kind, const CPalette*> expected[] = {
      {Kind::kSelectPalette, &image.m_palette}, {Kind::kRealizePalette, &image.m_palette},
      {Kind::kSelectPalette, &earlier}};
  for (int i = 0; i < 3; ++i) {
    const CRecordingContext::Call& call = context.calls[i];
    EXPECT_EQ(std::tuple(call.kind, call.palette), expected[i]) << i;
    EXPECT_FALSE(call.forceBackground) << i;
  }
  EXPECT_EQ(context.SelectedPalette(), &earlier);
}

TEST_F(DibSaveTest, WithoutAPaletteOrAPictureTheContextIsLeftAlone) {
  CRecordingContext context;
  EXPECT_EQ(image.SelectPaletteInto(context), 0) << "an empty object";
  ASSERT_EQ(Load(bmptest::Make24(2, 2, Bytes(12, 9))), 1);
  EXPECT_EQ(image.SelectPaletteInto(context), 1);
  EXPECT_TRUE(context.calls.empty());
}

}  // namespace
}  // namespace tamrovi
