#include "platform/Palette.h"

#include <cstring>

#include "platform/Allocation.h"

namespace tamrovi {

bool CPalette::CreatePalette(const LogPalette& record) noexcept {
  DeleteObject();
  if (record.entryCount == 0) return false;
  auto* entries = static_cast<PaletteEntry*>(AllocateBlock(4 * static_cast<std::int64_t>(record.entryCount)));
  if (entries == nullptr) return false;
  std::memcpy(entries, record.entries, 4 * static_cast<std::size_t>(record.entryCount));
  m_pEntries = entries;
  m_entryCount = record.entryCount;
  m_version = record.version;
  return true;
}

void CPalette::DeleteObject() noexcept {
  ReleaseBlock(m_pEntries);
  m_pEntries = nullptr;
  m_entryCount = 0;
  m_version = 0;
}

}  // namespace tamrovi
