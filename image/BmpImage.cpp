#include "image/BmpImage.h"

#include <cstring>

#include "platform/Allocation.h"

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
      m_pixelOffset(0),
      m_loadError(BmpLoadError::kNone),
      m_loadSystemError(0),
      m_pRowBlock(nullptr),
      m_mapsFiles(true) {}

CBmpImage::~CBmpImage() { Clear(); }

void CBmpImage::Clear() noexcept {
  // m_pDib is the mapped file's or a block of its own.
  if (m_fileMapping.IsMapped()) {
    m_fileMapping.Release();
  } else {
    ReleaseBlock(m_pDib);
  }
  ReleaseBlock(m_pRowBlock);
  m_pRowBlock = nullptr;
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
  m_pixelOffset = 0;
}

bool CBmpImage::OwnPixels() noexcept {
  if (IsEmpty()) return true;
  if (m_is24Bit) {
    if (m_pRowBlock != nullptr) return true;
    const std::int64_t rowBytes = 3 * std::int64_t{m_width};
    auto* block = static_cast<std::uint8_t*>(AllocateBlock(rowBytes * m_height));
    if (block == nullptr) return false;
    for (std::int32_t row = 0; row < m_height; ++row) {
      std::memcpy(block + row * rowBytes, m_rgbRows[row], static_cast<std::size_t>(rowBytes));
      m_rgbRows[row] = block + row * rowBytes;
    }
    m_pRowBlock = block;
    return true;
  }
  if (!m_fileMapping.IsMapped()) return true;
  auto* dib = static_cast<std::uint8_t*>(AllocateBlock(m_dibSize));
  if (dib == nullptr) return false;
  std::memcpy(dib, m_pDib, static_cast<std::size_t>(m_dibSize));
  // Everything that points into the file image moves with it.
  m_pBits = dib + (m_pBits - m_pDib);
  if (m_pColors != nullptr) m_pColors = reinterpret_cast<bmp::RgbQuad*>(dib + (reinterpret_cast<std::uint8_t*>(m_pColors) - m_pDib));
  m_pInfo = m_pDib = dib;
  m_fileMapping.Release();
  return true;
}

}  // namespace tamrovi
