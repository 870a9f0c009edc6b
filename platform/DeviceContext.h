// The device context: where a palette is selected and realised for drawing.
//
// Without a graphics device interface here, selecting only remembers the
// palette and realising only counts its entries. The two calls are virtual,
// so that a context of a drawing system can take their place and a check of
// the select, realise, restore sequence drawing with a palette needs can
// watch them.
#pragma once

#include "platform/Palette.h"

namespace tamrovi {

class CDeviceContext {
 public:
  // `initialPalette` is the palette the context starts with (null: the
  // device's default palette).
  explicit CDeviceContext(const CPalette* initialPalette = nullptr) noexcept : m_pSelected(initialPalette) {}
  CDeviceContext(const CDeviceContext&) = delete;
  CDeviceContext& operator=(const CDeviceContext&) = delete;
  virtual ~CDeviceContext() = default;

  // Makes `palette` the context's palette, as a background palette when
  // `forceBackground` is set. Returns the palette selected before.
  virtual const CPalette* SelectPalette(const CPalette* palette, [[maybe_unused]] bool forceBackground) noexcept {
    const CPalette* previous = m_pSelected;
    m_pSelected = palette;
    return previous;
  }

  // Maps the selected palette's entries onto the device. Returns how many
  // entries were mapped: 0 for the device's default palette.
  virtual int RealizePalette() noexcept { return m_pSelected != nullptr ? m_pSelected->EntryCount() : 0; }

  const CPalette* SelectedPalette() const noexcept { return m_pSelected; }

 private:
  const CPalette* m_pSelected;
};

}  // namespace tamrovi
