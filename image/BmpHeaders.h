// The 54 bytes of headers every file this library writes begins with.
#pragma once

#include <cstdint>

#include "image/BmpFormat.h"

namespace tamrovi::bmp {

// Fills `headers` for a bottom-up uncompressed picture of `width` x `height`
// pixels at `bitCount` bits with `nColors` colour-table entries following the
// headers: file size, pixel offset and image size are derived from these.
void BuildHeaders(std::int32_t width, std::int32_t height, int bitCount, std::int32_t nColors,
                  std::uint8_t (&headers)[kHeadersSize]) noexcept;

}  // namespace tamrovi::bmp
