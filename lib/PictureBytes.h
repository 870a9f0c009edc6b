// Pixels in the caller's memory as the bytes of a BMP file, made by the one
// writer, for the library to read as it reads any file.
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/ByteSink.h"
#include "platform/Result.h"

namespace tamrovi::lib {

// The BMP file of `width` x `height` pixels of `channels` bytes (1: gray
// levels, 3: red, green, blue) at `pixels`, rows from the top `stride` bytes
// apart: 8-bit with the gray ramp, or 24-bit. kOutOfMemory, or kFileTooLarge
// when the file would reach 2 GiB, which no reader takes.
CResult EncodePixels(std::int32_t width, std::int32_t height, int channels, const std::uint8_t* pixels,
                     std::size_t stride, CMemoryOutput& file) noexcept;

}  // namespace tamrovi::lib
