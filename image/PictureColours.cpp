#include "image/PictureColours.h"

#include <algorithm>
#include <iterator>

#include "image/PictureRows.h"

namespace tamrovi {
namespace {

std::uint32_t KeyOf(const std::uint8_t* bgr) {
  return std::uint32_t{bgr[2]} << 16 | std::uint32_t{bgr[1]} << 8 | bgr[0];
}

}  // namespace

std::uint32_t CPictureColours::SlotOf(std::uint32_t key) const noexcept {
  constexpr std::uint32_t kMask = (1u << kSlotBits) - 1;
  std::uint32_t slot = (key * 2654435761u) >> (32 - kSlotBits);
  while (m_keys[slot] != kEmpty && m_keys[slot] != key) slot = (slot + 1) & kMask;
  return slot;
}

bool CPictureColours::Add(std::uint32_t key) noexcept {
  const std::uint32_t slot = SlotOf(key);
  if (m_keys[slot] == key) return true;
  if (m_count == kMaxColours) return false;
  m_keys[slot] = key;
  ++m_count;
  return true;
}

bool CPictureColours::Collect(const CPictureRows& picture) noexcept {
  std::fill(std::begin(m_keys), std::end(m_keys), kEmpty);
  m_count = 0;
  constexpr std::int32_t kPiece = 1024;
  std::uint8_t bgr[3 * kPiece];
  for (std::int32_t row = 0; row < picture.Height(); ++row) {
    for (std::int32_t start = 0; start < picture.Width(); start += kPiece) {
      const std::int32_t count = std::min(kPiece, picture.Width() - start);
      picture.Colours(row, start, count, bgr);
      // Neighbours mostly share a colour: only a change is looked up.
      std::uint32_t last = kEmpty;
      for (std::int32_t k = 0; k < count; ++k) {
        const std::uint32_t key = KeyOf(bgr + 3 * k);
        if (key != last && !Add(key)) return false;
        last = key;
      }
    }
  }
  SortEntries();
  return true;
}

void CPictureColours::SortEntries() noexcept {
  std::uint32_t keys[kMaxColours];
  std::copy_if(std::begin(m_keys), std::end(m_keys), keys, [](std::uint32_t key) { return key != kEmpty; });
  std::sort(keys, keys + m_count);
  for (std::int32_t index = 0; index < m_count; ++index) {
    m_entries[index][0] = static_cast<std::uint8_t>(keys[index]);
    m_entries[index][1] = static_cast<std::uint8_t>(keys[index] >> 8);
    m_entries[index][2] = static_cast<std::uint8_t>(keys[index] >> 16);
    m_slotIndex[SlotOf(keys[index])] = static_cast<std::uint8_t>(index);
  }
}

std::uint8_t CPictureColours::IndexOf(const std::uint8_t* bgr) const noexcept { return m_slotIndex[SlotOf(KeyOf(bgr))]; }

}  // namespace tamrovi
