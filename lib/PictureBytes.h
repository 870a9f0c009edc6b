// A picture as the bytes of a BMP file, both ways between the caller's
// memory and the library's: pixels the caller has made into a file to read,
// and a picture written through the one writer into a file or a buffer.
#pragma once

#include <cstddef>
#include <cstdint>

#include "image/BmpImage.h"
#include "platform/ByteSink.h"

namespace tamrovi::lib {

// The BMP file of `width` x `height` pixels of `channels` bytes (1: gray
// levels, 3: red, green, blue) at `pixels`, rows from the top `stride` bytes
// apart: 8-bit with the gray ramp, or 24-bit. kOutOfMemory, or kFileTooLarge
// when the file would reach 2 GiB, which no reader takes.
CResult EncodePixels(std::int32_t width, std::int32_t height, int channels, const std::uint8_t* pixels,
                     std::size_t stride, CMemoryOutput& file) noexcept;

// How a picture is written: 24-bit, or as --keep-format writes it.
enum class WrittenFormat { k24Bit, kKeepFormat };

// Writes `image` in `format` to `out`.
CResult WriteInFormat(const CBmpImage& image, WrittenFormat format, const CByteSink& out) noexcept;

}  // namespace tamrovi::lib
