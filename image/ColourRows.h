// Whole rows at a time: the gray levels of a row of blue, green, red pixels,
// and the writing of per-pixel levels, masks and channels back into a row of
// either layout. Filters and the histogram work on one byte a pixel; these
// are the steps between that and the picture's rows.
//
// Every routine has a plain form, which runs everywhere, and where the
// processor has them a form on 256-bit vectors. They give the same bytes (the
// tests check it for every width around the vector blocks); ColourRowRoutines()
// hands out the fastest this processor runs.
#pragma once

#include <cstdint>

namespace tamrovi {

struct CColourRowRoutines {
  // gray[k] = Gray3 of pixel k.
  void (*grayLevels)(const std::uint8_t* bgr, std::int32_t width, std::uint8_t* gray) noexcept;
  // The same, and thirds[k] = its channel sum - 3 * gray[k] (0 to 2): what
  // the truncation dropped, in thirds of a level.
  void (*grayLevelsAndThirds)(const std::uint8_t* bgr, std::int32_t width, std::uint8_t* gray,
                              std::uint8_t* thirds) noexcept;
  // All three bytes of pixel k become levels[k].
  void (*spreadLevels)(const std::uint8_t* levels, std::int32_t width, std::uint8_t* bgr) noexcept;
  // Each byte of pixel k takes the bits of levels[k] that where[k] has set
  // and keeps the others: with where[k] 255 the pixel becomes gray levels[k],
  // with 0 it stays as it is.
  void (*paintWhere)(std::uint8_t* bgr, std::int32_t width, const std::uint8_t* levels,
                     const std::uint8_t* where) noexcept;
  // The same on one byte a pixel.
  void (*paintBytesWhere)(std::uint8_t* bytes, std::int32_t width, const std::uint8_t* levels,
                          const std::uint8_t* where) noexcept;
  // bytes[k] = byte `channel` (0 blue, 1 green, 2 red) of pixel k.
  void (*takeChannel)(const std::uint8_t* bgr, std::int32_t width, std::int32_t channel,
                      std::uint8_t* bytes) noexcept;
  // Byte `channel` of pixel k becomes bytes[k]; the other two stay.
  void (*putChannel)(std::uint8_t* bgr, std::int32_t width, std::int32_t channel,
                     const std::uint8_t* bytes) noexcept;
};

// The plain forms.
const CColourRowRoutines& PlainColourRowRoutines() noexcept;

// The AVX2 forms, or null when they were not built or the processor lacks AVX2.
const CColourRowRoutines* Avx2ColourRowRoutines() noexcept;

// The fastest forms this processor runs.
const CColourRowRoutines& ColourRowRoutines() noexcept;

}  // namespace tamrovi
