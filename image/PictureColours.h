// The distinct colours of a picture, when they fit a colour table of 256
// entries, and each colour's index in that table.
#pragma once

#include <cstdint>

namespace tamrovi {

class CPictureRows;

class CPictureColours {
 public:
  static constexpr std::int32_t kMaxColours = 256;

  // Gathers the colours of every pixel. False when there are more than
  // kMaxColours of them: nothing else may be asked then.
  bool Collect(const CPictureRows& picture) noexcept;

  // Colours in increasing order of red, then green, then blue, so that a gray
  // picture's table runs from dark to light.
  std::int32_t Count() const noexcept { return m_count; }
  // Blue, green, red of entry `index` < Count().
  const std::uint8_t* Entry(std::int32_t index) const noexcept { return m_entries[index]; }

  // The entry of the colour blue, green, red at `bgr`, which must be one of
  // the picture's.
  std::uint8_t IndexOf(const std::uint8_t* bgr) const noexcept;

 private:
  // Open addressing over twice as many slots as colours, so a probe seldom
  // goes past a slot or two.
  static constexpr int kSlotBits = 9;
  static constexpr std::uint32_t kEmpty = 0xFFFFFFFF;  // no colour is 32 bits wide

  // The slot that holds `key` (0xRRGGBB), or the empty one where it would go.
  std::uint32_t SlotOf(std::uint32_t key) const noexcept;
  bool Add(std::uint32_t key) noexcept;
  void SortEntries() noexcept;

  std::uint32_t m_keys[1 << kSlotBits];
  std::uint8_t m_slotIndex[1 << kSlotBits];
  std::uint8_t m_entries[kMaxColours][3];
  std::int32_t m_count = 0;
};

}  // namespace tamrovi
