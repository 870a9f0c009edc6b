#include "platform/DeviceContext.h"

namespace tamrovi {

const CPalette* CDeviceContext::SelectPalette(const CPalette* palette, bool forceBackground) noexcept {
  Record(CallKind::kSelectPalette, palette, forceBackground);
  const CPalette* previous = m_pSelected;
  m_pSelected = palette;
  return previous;
}

int CDeviceContext::RealizePalette() noexcept {
  Record(CallKind::kRealizePalette, m_pSelected, false);
  return m_pSelected != nullptr ? m_pSelected->EntryCount() : 0;
}

void CDeviceContext::Record(CallKind kind, const CPalette* palette, bool forceBackground) noexcept {
  if (m_callCount < kMaxRecordedCalls) m_calls[m_callCount] = Call{kind, palette, forceBackground};
  ++m_callCount;
}

}  // namespace tamrovi
