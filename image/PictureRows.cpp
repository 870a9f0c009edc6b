#include "image/PictureRows.h"

#include <cstring>

#include "image/BmpImage.h"
#include "image/ColourRows.h"

namespace tamrovi {

CPictureRows::CPictureRows(const CBmpImage& image) noexcept
    : m_image(image),
      m_width(image.m_width),
      m_height(image.m_height),
      m_pixelBytes(image.m_is24Bit ? kColourPixelBytes : kGrayPixelBytes) {}

std::uint8_t* CPictureRows::Row(std::int32_t row) const noexcept {
  return IsGray() ? m_image.BytePlaneRow(row) : m_image.RgbRows()[row];
}

std::uint8_t* CPictureRows::GrayLevels(std::int32_t row, std::int32_t first, std::int32_t count,
                                       std::uint8_t* scratch) const noexcept {
  std::uint8_t* pixels = Row(row) + static_cast<std::int64_t>(m_pixelBytes) * first;
  if (IsGray()) return pixels;
  ColourRowRoutines().grayLevels(pixels, count, scratch);
  return scratch;
}

const std::uint8_t* CPictureRows::GrayLevelsAndThirds(std::int32_t row, std::uint8_t* scratch,
                                                      std::uint8_t* thirds) const noexcept {
  if (IsGray()) return Row(row);
  ColourRowRoutines().grayLevelsAndThirds(Row(row), m_width, scratch, thirds);
  return scratch;
}

void CPictureRows::Colours(std::int32_t row, std::int32_t first, std::int32_t count,
                           std::uint8_t* bgr) const noexcept {
  const std::uint8_t* pixels = Row(row) + static_cast<std::int64_t>(m_pixelBytes) * first;
  if (IsGray()) {
    ColourRowRoutines().spreadLevels(pixels, count, bgr);
  } else {
    std::memcpy(bgr, pixels, 3 * static_cast<std::size_t>(count));
  }
}

void CPictureRows::PaintLevels(std::int32_t row, const std::uint8_t* levels) const noexcept {
  if (IsGray()) {
    std::memcpy(Row(row), levels, static_cast<std::size_t>(m_width));
  } else {
    ColourRowRoutines().spreadLevels(levels, m_width, Row(row));
  }
}

void CPictureRows::PaintLevelsWhere(std::int32_t row, std::int32_t first, std::int32_t count,
                                    const std::uint8_t* levels, const std::uint8_t* where) const noexcept {
  std::uint8_t* pixels = Row(row) + static_cast<std::int64_t>(m_pixelBytes) * first;
  if (!IsGray()) {
    ColourRowRoutines().paintWhere(pixels, count, levels, where);
  } else if (levels != pixels) {
    ColourRowRoutines().paintBytesWhere(pixels, count, levels, where);
  }
}

void CPictureRows::TakeChannel(std::int32_t row, int channel, std::uint8_t* bytes) const noexcept {
  if (IsGray()) {
    std::memcpy(bytes, Row(row), static_cast<std::size_t>(m_width));
  } else {
    ColourRowRoutines().takeChannel(Row(row), m_width, channel, bytes);
  }
}

void CPictureRows::PutChannel(std::int32_t row, int channel, const std::uint8_t* bytes) const noexcept {
  if (IsGray()) {
    std::memcpy(Row(row), bytes, static_cast<std::size_t>(m_width));
  } else {
    ColourRowRoutines().putChannel(Row(row), m_width, channel, bytes);
  }
}

}  // namespace tamrovi
