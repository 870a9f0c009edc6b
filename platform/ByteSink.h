// Where a writer's bytes go. A writer is handed an output already opened by
// its caller and only appends to it: the caller decides what the output is
// (a file replaced whole, standard output or a descriptor, all COutputFile;
// or a block of memory that grows, CMemoryOutput) and what happens to it
// when the writing ends.
#pragma once

#include <cerrno>
#include <cstdint>
#include <cstring>

#include "platform/Allocation.h"
#include "platform/OutputFile.h"

namespace tamrovi {

struct CByteSink {
  // Appends all `count` bytes; 0, or the system's error number when they
  // could not all be put.
  int (*write)(void* target, const std::uint8_t* bytes, std::int64_t count) noexcept;
  void* target;

  int Write(const std::uint8_t* bytes, std::int64_t count) const noexcept { return write(target, bytes, count); }
};

inline CByteSink SinkOf(COutputFile& out) noexcept {
  return {[](void* target, const std::uint8_t* bytes, std::int64_t count) noexcept {
            return static_cast<COutputFile*>(target)->Write(bytes, count).systemError;
          },
          &out};
}

// A block of memory the bytes are appended to, from the library's
// allocator; it doubles as it fills, so n bytes cost O(n) copying. The block
// is the object's until Take hands it over.
class CMemoryOutput {
 public:
  CMemoryOutput() = default;
  CMemoryOutput(const CMemoryOutput&) = delete;
  CMemoryOutput& operator=(const CMemoryOutput&) = delete;
  ~CMemoryOutput() { ReleaseBlock(m_pBytes); }

  int Append(const std::uint8_t* bytes, std::int64_t count) noexcept {
    if (count <= 0) return count == 0 ? 0 : EINVAL;
    if (m_size + count > m_capacity) {
      std::int64_t capacity = m_capacity < 4096 ? 4096 : m_capacity;
      while (capacity < m_size + count) capacity *= 2;
      void* grown = m_pBytes == nullptr ? AllocateBlock(capacity) : ResizeBlock(m_pBytes, capacity);
      if (grown == nullptr) return ENOMEM;
      m_pBytes = static_cast<std::uint8_t*>(grown);
      m_capacity = capacity;
    }
    std::memcpy(m_pBytes + m_size, bytes, static_cast<std::size_t>(count));
    m_size += count;
    return 0;
  }

  const std::uint8_t* Bytes() const noexcept { return m_pBytes; }
  std::int64_t Size() const noexcept { return m_size; }

  // The block (ReleaseBlock gives it back), null when nothing was written;
  // the object is then empty.
  std::uint8_t* Take() noexcept {
    std::uint8_t* bytes = m_pBytes;
    m_pBytes = nullptr;
    m_size = m_capacity = 0;
    return bytes;
  }

 private:
  std::uint8_t* m_pBytes = nullptr;
  std::int64_t m_size = 0;
  std::int64_t m_capacity = 0;
};

inline CByteSink SinkOf(CMemoryOutput& out) noexcept {
  return {[](void* target, const std::uint8_t* bytes, std::int64_t count) noexcept {
            return static_cast<CMemoryOutput*>(target)->Append(bytes, count);
          },
          &out};
}

}  // namespace tamrovi
