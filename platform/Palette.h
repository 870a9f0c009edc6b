// The palette object. Without a graphics device interface here it keeps the
// colour entries a logical palette would have been made from.
#pragma once

#include <cstdint>

namespace tamrovi {

struct PaletteEntry {
  std::uint8_t red;
  std::uint8_t green;
  std::uint8_t blue;
  std::uint8_t flags;
};

// The logical palette record: version, entry count and the entries. It is
// allocated with room for `entryCount` entries (see LogPaletteSize).
struct LogPalette {
  std::uint16_t version;
  std::uint16_t entryCount;
  PaletteEntry entries[1];
};

inline constexpr std::uint16_t kLogPaletteVersion = 0x300;

// Bytes to allocate for a record of `entryCount` entries.
constexpr std::int64_t LogPaletteSize(std::int64_t entryCount) {
  return 4 + 4 * (entryCount < 1 ? 1 : entryCount);
}

class CPalette {
 public:
  CPalette() = default;
  CPalette(const CPalette&) = delete;
  CPalette& operator=(const CPalette&) = delete;
  ~CPalette() { DeleteObject(); }

  // Makes the palette from `record`, replacing any earlier one. Returns false
  // (and holds no palette) when the record is empty or memory runs out.
  bool CreatePalette(const LogPalette& record) noexcept;

  // Empties the object; doing so when it is already empty does nothing.
  void DeleteObject() noexcept;

  bool HasPalette() const noexcept { return m_pEntries != nullptr; }
  std::uint16_t Version() const noexcept { return m_version; }
  int EntryCount() const noexcept { return m_entryCount; }
  // Entry i, 0 <= i < EntryCount().
  const PaletteEntry& Entry(int i) const noexcept { return m_pEntries[i]; }

 private:
  PaletteEntry* m_pEntries = nullptr;
  int m_entryCount = 0;
  std::uint16_t m_version = 0;
};

}  // namespace tamrovi
