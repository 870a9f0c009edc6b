// The device context: where a palette is selected and realised for drawing.
//
// Without a graphics device interface here, the context keeps a record of
// what was done to it (which palette was selected, whether as a background
// palette, and when it was realised), so that callers can be checked for the
// select, realise, restore sequence drawing with a palette needs.
#pragma once

#include "platform/Palette.h"

namespace tamrovi {

class CDeviceContext {
 public:
  enum class CallKind { kSelectPalette, kRealizePalette };

  // One operation done on the context. For a realisation, `palette` is the
  // palette selected at the time.
  struct Call {
    CallKind kind;
    const CPalette* palette;
    bool forceBackground;
  };

  // The most calls the record keeps: a drawing sequence makes three, and the
  // record is for checking sequences, not for logging a session. Calls beyond
  // it are still counted by CallCount().
  static constexpr int kMaxRecordedCalls = 16;

  // `initialPalette` is the palette the context starts with (null: the
  // device's default palette).
  explicit CDeviceContext(const CPalette* initialPalette = nullptr) noexcept : m_pSelected(initialPalette) {}
  CDeviceContext(const CDeviceContext&) = delete;
  CDeviceContext& operator=(const CDeviceContext&) = delete;

  // Makes `palette` the context's palette, as a background palette when
  // `forceBackground` is set. Returns the palette selected before.
  const CPalette* SelectPalette(const CPalette* palette, bool forceBackground) noexcept;

  // Maps the selected palette's entries onto the device. Returns how many
  // entries were mapped: 0 for the device's default palette.
  int RealizePalette() noexcept;

  const CPalette* SelectedPalette() const noexcept { return m_pSelected; }

  // Every call made so far, including those past the record's capacity.
  int CallCount() const noexcept { return m_callCount; }
  // Call i in the order made, 0 <= i < min(CallCount(), kMaxRecordedCalls).
  const Call& RecordedCall(int i) const noexcept { return m_calls[i]; }

 private:
  void Record(CallKind kind, const CPalette* palette, bool forceBackground) noexcept;

  const CPalette* m_pSelected;
  Call m_calls[kMaxRecordedCalls] = {};
  int m_callCount = 0;
};

}  // namespace tamrovi
