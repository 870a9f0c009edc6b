// Putting the picture's palette into a device context for drawing.
#include "image/BmpImage.h"
#include "platform/DeviceContext.h"

namespace tamrovi {

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
