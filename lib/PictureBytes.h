// A picture as the bytes of a BMP file, both ways between the caller's
// memory and the library's: pixels the caller has made into a file to read,
// and a picture written into a buffer instead of a file.
#pragma once

#include <cstddef>
#include <cstdint>

#include "image/BmpImage.h"

namespace tamrovi::lib {

// The BMP file of `width` x `height` pixels of `channels` bytes (1: gray
// levels, 3: red, green, blue) at `pixels`, rows from the top `stride` bytes
// apart: 8-bit with the gray ramp, or 24-bit. A block from AllocateBlock of
// `length` bytes, or null when memory ran out or the file would reach 2 GiB.
std::uint8_t* EncodePixels(std::int32_t width, std::int32_t height, int channels, const std::uint8_t* pixels,
                           std::size_t stride, std::int64_t& length) noexcept;

// How a picture is written: 24-bit, or as --keep-format writes it.
enum class WrittenFormat { k24Bit, kKeepFormat };

// The bytes the file writer would put in a file for `image` in `format`, in a
// block from AllocateBlock of `length` bytes; null when memory ran out.
std::uint8_t* EncodeToMemory(const CBmpImage& image, WrittenFormat format, std::int64_t& length) noexcept;

// Writes `image` in `format` to `path`, replacing the file whole or not at
// all. Returns 1 when written, 0 with the reason in m_saveSystemError.
int SaveInFormat(const CBmpImage& image, const char* path, WrittenFormat format) noexcept;

}  // namespace tamrovi::lib
