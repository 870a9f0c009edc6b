#include "image/BmpImage.h"

#include <cstdlib>

#include "platform/Allocation.h"
#include "image/BmpWriter.h"
#include "platform/DeviceContext.h"

namespace tamrovi {

CBmpImage::~CBmpImage() { Clear(); }

void* CBmpImage::operator new(std::size_t bytes) noexcept { return std::malloc(bytes); }

void CBmpImage::operator delete(void* object) noexcept { std::free(object); }

int CBmpImage::SaveBmp24(const char* path) const noexcept {
  return SaveToPath(path, [this](const CByteSink& out) { return WriteBmp24(*this, out); }).Ok();
}

#if defined(_WIN32)
int CBmpImage::SaveBmp24ToSystemPath(const SystemPathChar* path) const noexcept {
  return SaveToPath(path, [this](const CByteSink& out) { return WriteBmp24(*this, out); }).Ok();
}
#endif

int CBmpImage::SaveDib(const char* path) const noexcept {
  if (m_pDib == nullptr) return 0;  // no file is created
  return SaveToPath(path, [this](const CByteSink& out) { return WriteFileImage(*this, out); }).Ok();
}

void CBmpImage::Clear() noexcept {
  ReleaseBlock(m_pDib);
  ReleaseBlock(m_pRowBlock);
  m_pRowBlock = nullptr;
  ReleaseBlock(m_pTallGrayRows);
  ReleaseBlock(m_pTallRgbRows);
  m_pTallGrayRows = nullptr;
  m_pTallRgbRows = nullptr;
  m_missingRows = 0;
  for (std::int32_t i = 0; i < kMaxRows; ++i) {
    m_rgbRows[i] = nullptr;
    m_grayRows[i] = nullptr;
  }
  m_palette.DeleteObject();
  m_pDib = nullptr;
  m_pBits = nullptr;
  m_pInfo = nullptr;
  m_pColors = nullptr;
  m_dibSize = 0;
  m_nColors = 0;
  m_width = 0;
  m_height = 0;
  m_is24Bit = 0;
  m_isTopDown = 0;
  m_fileBitCount = 0;
  m_pixelOffset = 0;
}

int CBmpImage::SelectPaletteInto(CDeviceContext& context) const noexcept {
  if (m_pDib == nullptr) return 0;
  if (!m_palette.HasPalette()) return 1;
  // Realising maps the palette onto the device; the context then gets its own
  // palette back, so drawing elsewhere with it is not affected.
  const CPalette* previous = context.SelectPalette(&m_palette, false);
  context.RealizePalette();
  context.SelectPalette(previous, false);
  return 1;
}

}  // namespace tamrovi
