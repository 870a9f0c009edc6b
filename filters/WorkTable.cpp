#include "filters/WorkTable.h"

#include <cstring>

#include "filters/PixelAccess.h"
#include "platform/Allocation.h"

namespace tamrovi {

CWorkTable::CWorkTable(const CBmpImage& image) noexcept
    : m_width(image.m_width),
      m_pCells(static_cast<std::uint8_t*>(AllocateBlock(static_cast<std::int64_t>(image.m_width) * image.m_height))) {}

CWorkTable::~CWorkTable() { ReleaseBlock(m_pCells); }

void PaintLevels(CBmpImage& image, const CWorkTable& levels) noexcept {
  const auto width = static_cast<std::size_t>(image.m_width);
  const std::int32_t height = image.m_height;
  for (std::int32_t row = 0; row < height; ++row) {
    const std::uint8_t* level = levels.Row(row);
    if (!image.m_is24Bit) {
      std::memcpy(PictureRow<kBytePlanePixelBytes>(image, row), level, width);
      continue;
    }
    std::uint8_t* pixel = PictureRow<kColourPixelBytes>(image, row);
    for (std::size_t column = 0; column < width; ++column, pixel += kColourPixelBytes) {
      pixel[0] = pixel[1] = pixel[2] = level[column];
    }
  }
}

}  // namespace tamrovi
