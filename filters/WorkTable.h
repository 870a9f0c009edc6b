// A filter's work table: one byte per pixel, row after row, taken from the
// library's allocator when a filter starts and given back when it ends.
//
// The filters that look at neighbours compute every pixel's result into the
// table first, from the picture as it was, and only then write the picture:
// no result can then depend on a pixel already rewritten.
#pragma once

#include <cstdint>

#include "image/BmpImage.h"

namespace tamrovi {

class CWorkTable {
 public:
  // A table of m_height x m_width cells for `image`, contents undefined.
  explicit CWorkTable(const CBmpImage& image) noexcept;
  CWorkTable(const CWorkTable&) = delete;
  CWorkTable& operator=(const CWorkTable&) = delete;
  ~CWorkTable();

  // False when the memory could not be had: the filter must then leave the
  // picture as it is.
  bool IsHeld() const noexcept { return m_pCells != nullptr; }

  std::uint8_t* Row(std::int32_t row) const noexcept { return m_pCells + static_cast<std::int64_t>(row) * m_width; }

 private:
  std::int32_t m_width;
  std::uint8_t* m_pCells;
};

// Writes each cell of `levels` into its pixel as a gray level (all three
// bytes of a colour pixel).
void PaintLevels(CBmpImage& image, const CWorkTable& levels) noexcept;

}  // namespace tamrovi
