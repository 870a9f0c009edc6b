#include "analysis/GrayHistogram.h"

#include "image/Gray3.h"

namespace tamrovi {

int GrayHistogram(const CBmpImage& image, std::int32_t (&counts)[kGrayLevels]) noexcept {
  for (std::int32_t& count : counts) count = 0;
  if (image.IsEmpty()) return 1;
  for (std::int32_t row = 0; row < image.m_height; ++row) {
    if (image.m_is24Bit) {
      const std::uint8_t* pixels = image.m_rgbRows[row];
      for (std::int32_t column = 0; column < image.m_width; ++column) ++counts[Gray3(pixels + 3 * column)];
    } else {
      const std::uint8_t* bytes = image.BytePlaneRow(row);
      for (std::int32_t column = 0; column < image.m_width; ++column) ++counts[bytes[column]];
    }
  }
  return 1;
}

}  // namespace tamrovi
