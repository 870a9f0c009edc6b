#include "image/BmpImage.h"

#include <cstdlib>

#include "platform/Allocation.h"
#include "platform/OutputFile.h"

namespace tamrovi {

CBmpImage::CBmpImage() noexcept
    : m_pBits(nullptr),
      m_dibSize(0),
      m_pColors(nullptr),
      m_nColors(0),
      m_grayRows{},
      m_rgbRows{},
      m_pInfo(nullptr),
      m_width(0),
      m_height(0),
      m_fileLength(0),
      m_pDib(nullptr),
      m_is24Bit(0),
      m_isTopDown(0),
      m_fileBitCount(0),
      m_pixelOffset(0),
      m_loadError(BmpLoadError::kNone),
      m_loadSystemError(0),
      m_filterOutOfMemory(0),
      m_saveSystemError(0),
      m_pRowBlock(nullptr),
      m_pTallGrayRows(nullptr),
      m_pTallRgbRows(nullptr),
      m_missingRows(0) {}

CBmpImage::~CBmpImage() { Clear(); }

void* CBmpImage::operator new(std::size_t bytes) noexcept { return std::malloc(bytes); }

void CBmpImage::operator delete(void* object) noexcept { std::free(object); }

int CBmpImage::FinishSave(COutputFile& out, bool written) const noexcept {
  if (written && out.Commit()) {
    m_saveSystemError = 0;
    return 1;
  }
  m_saveSystemError = out.LastError();
  out.Discard();
  return 0;
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

}  // namespace tamrovi
