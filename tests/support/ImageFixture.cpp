#include "support/ImageFixture.h"

#include "entry/FilterTable.h"
#include "image/PictureRows.h"

namespace bmptest {

int LoadBytes(tamrovi::CBmpImage& image, const TempDir& dir, const Bytes& bytes, const std::string& name,
              const tamrovi::CLoadLimits& limits) {
  WriteFile(dir.File(name), bytes);
  return image.LoadBmp(dir.File(name).c_str(), limits);
}

Bytes PictureBgr(const tamrovi::CBmpImage& image) {
  const tamrovi::CPictureRows picture(image);
  Bytes bgr(3 * static_cast<std::size_t>(picture.Width()) * picture.Height());
  for (std::int32_t row = 0; row < picture.Height(); ++row) {
    picture.Colours(row, 0, picture.Width(), bgr.data() + 3 * static_cast<std::size_t>(row) * picture.Width());
  }
  return bgr;
}

Bytes BytePlane(const tamrovi::CBmpImage& image) {
  const tamrovi::CPictureRows picture(image);
  Bytes plane, scratch(static_cast<std::size_t>(picture.Width()));
  for (std::int32_t row = 0; row < picture.Height(); ++row) {
    const std::uint8_t* levels = picture.GrayLevels(row, scratch.data());
    plane.insert(plane.end(), levels, levels + picture.Width());
  }
  return plane;
}

Bytes FilterThroughCore(const TempDir& dir, const Bytes& input, std::int32_t code,
                        const tamrovi::CLoadLimits& limits) {
  tamrovi::CBmpImage image;
  LoadBytes(image, dir, input, "core-input.bmp", limits);
  tamrovi::ApplyFilterCode(image, code);
  const std::string output = dir.File("core-output.bmp");
  image.SaveBmp24(output.c_str());
  return ReadFile(output);
}

}  // namespace bmptest
