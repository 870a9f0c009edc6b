// A loaded picture's pixels, one row at a time, whatever holds them.
//
// A picture is held in one of two layouts: gray bytes (one byte a pixel that
// is its own gray level: 8-bit files whose colour table is the gray ramp) or
// rows of blue, green, red (everything else). Where the rows lie, how far
// apart, and in which order the file stored them is the image object's
// business; filters, analysis and the tool ask this view for picture row r,
// 0 being the top, and for the few conversions between a row and one byte a
// pixel. What the view hands out means the same in either layout: a gray byte
// v and a colour pixel of gray v give the same levels and thirds, so a rule
// written on them never asks how the picture is held.
//
// A view is made for one picture as it is loaded and stays valid until the
// picture is loaded again or released. Rows are only for 0 <= row < Height().
#pragma once

#include <cstdint>

namespace tamrovi {

class CBmpImage;

inline constexpr int kGrayPixelBytes = 1;
inline constexpr int kColourPixelBytes = 3;

class CPictureRows {
 public:
  // The pixels of `image` may be changed through the view: the object owns
  // them, the view only finds them.
  explicit CPictureRows(const CBmpImage& image) noexcept;

  std::int32_t Width() const noexcept { return m_width; }
  std::int32_t Height() const noexcept { return m_height; }
  bool IsEmpty() const noexcept { return m_width == 0 || m_height == 0; }
  int PixelBytes() const noexcept { return m_pixelBytes; }
  bool IsGray() const noexcept { return m_pixelBytes == kGrayPixelBytes; }

  // Picture row `row`: Width() pixels of PixelBytes() bytes.
  std::uint8_t* Row(std::int32_t row) const noexcept;

  // The gray levels of pixels first to first + count - 1 of `row`: gray bytes
  // where they lie, or Gray3 of each colour pixel made into `scratch` (count
  // bytes). Gray bytes are not copied: what is returned is then the row
  // itself, whose levels change when the row is rewritten, and which a filter
  // may rewrite through it (see PaintLevelsWhere).
  std::uint8_t* GrayLevels(std::int32_t row, std::int32_t first, std::int32_t count,
                           std::uint8_t* scratch) const noexcept;
  std::uint8_t* GrayLevels(std::int32_t row, std::uint8_t* scratch) const noexcept {
    return GrayLevels(row, 0, m_width, scratch);
  }

  // The same for the whole row, and thirds[k] = the pixel's channel sum
  // - 3 * level (0 to 2): its exact gray is level + thirds / 3. Gray bytes are
  // whole levels and leave `thirds` as it is, so a row handed in as zeros
  // the first time needs no clearing again.
  const std::uint8_t* GrayLevelsAndThirds(std::int32_t row, std::uint8_t* scratch,
                                          std::uint8_t* thirds) const noexcept;

  // bgr[3k..3k+2] = the colour of pixel first + k of `row`, k < count.
  void Colours(std::int32_t row, std::int32_t first, std::int32_t count, std::uint8_t* bgr) const noexcept;

  // Every byte of pixel k of `row` becomes levels[k]: the row turns into
  // these gray levels.
  void PaintLevels(std::int32_t row, const std::uint8_t* levels) const noexcept;

  // Pixel first + k of `row` becomes gray levels[k] where where[k] is 255 and
  // stays as it is where where[k] is 0, k < count. Levels that are the row's
  // own gray bytes, as GrayLevels handed them out, are already there.
  void PaintLevelsWhere(std::int32_t row, std::int32_t first, std::int32_t count, const std::uint8_t* levels,
                        const std::uint8_t* where) const noexcept;

  // One byte a pixel of one channel: 0 to PixelBytes() - 1 (blue, green, red
  // in colour rows; the only one in gray bytes).
  void TakeChannel(std::int32_t row, int channel, std::uint8_t* bytes) const noexcept;
  void PutChannel(std::int32_t row, int channel, const std::uint8_t* bytes) const noexcept;

 private:
  const CBmpImage& m_image;
  std::int32_t m_width;
  std::int32_t m_height;
  int m_pixelBytes;
};

}  // namespace tamrovi
