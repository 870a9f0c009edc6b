// Reading little-endian fields from bytes held in memory, one field after the
// other, where every read first checks that the bytes are there.
//
// A file may claim anything; the reader only ever answers from the bytes it
// was given. A read that would pass the end fails, reads nothing and moves
// nothing, so a caller can stop at the first failure and keep what it had.
#pragma once

#include <cstdint>

#include "image/BmpFormat.h"

namespace tamrovi::bmp {

class CByteReader {
 public:
  // Reads from the `size` bytes at `data` (a size below 0 is taken as 0).
  CByteReader(const std::uint8_t* data, std::int64_t size) noexcept : m_data(data), m_size(size < 0 ? 0 : size) {}

  std::int64_t Position() const noexcept { return m_position; }
  std::int64_t Remaining() const noexcept { return m_size - m_position; }

  bool ReadU8(std::uint8_t& value) noexcept {
    if (Remaining() < 1) return false;
    value = m_data[m_position++];
    return true;
  }
  bool ReadU16(std::uint16_t& value) noexcept {
    if (Remaining() < 2) return false;
    value = bmp::ReadU16(m_data + m_position);
    m_position += 2;
    return true;
  }
  bool ReadU32(std::uint32_t& value) noexcept {
    if (Remaining() < 4) return false;
    value = bmp::ReadU32(m_data + m_position);
    m_position += 4;
    return true;
  }
  bool ReadS32(std::int32_t& value) noexcept {
    std::uint32_t bits = 0;
    if (!ReadU32(bits)) return false;
    value = static_cast<std::int32_t>(bits);
    return true;
  }

  // The next `count` bytes, which the reader then moves past; null when fewer
  // remain.
  const std::uint8_t* Take(std::int64_t count) noexcept {
    if (count < 0 || Remaining() < count) return nullptr;
    const std::uint8_t* bytes = m_data + m_position;
    m_position += count;
    return bytes;
  }

  bool Skip(std::int64_t count) noexcept { return Take(count) != nullptr; }

 private:
  const std::uint8_t* m_data;
  std::int64_t m_size;
  std::int64_t m_position = 0;
};

}  // namespace tamrovi::bmp
