// The filters' work on one row at a time, on one byte a pixel: gray levels,
// marks of 0 and 255, and the byte plane's pixels. A filter runs over the
// picture's rows keeping only the few rows its neighbourhood needs, and hands
// each row to these routines.
//
// Every routine has a plain form, which runs everywhere, and where the
// processor has them a form on 256-bit vectors. They give the same bytes (the
// tests check it for every width around the vector blocks);
// FilterRowRoutines() hands out the fastest this processor runs.
//
// "Inside columns" are 1 to width - 2: the columns with a neighbour on each
// side. A routine that works on them leaves columns 0 and width - 1 alone.
#pragma once

#include <cstdint>

namespace tamrovi {

inline constexpr std::uint8_t kBlack = 0;
inline constexpr std::uint8_t kWhite = 255;

struct CFilterRowRoutines {
  // Outline: marks[k] = 255 where gray[k] <= 200 (dark), else 0.
  void (*markDark)(const std::uint8_t* gray, std::int32_t width, std::uint8_t* marks) noexcept;
  // Outline, inside columns: inside[k] = 255 where the marks of pixel k and
  // all eight of its neighbours are 255, else 0.
  void (*markInside)(const std::uint8_t* above, const std::uint8_t* here, const std::uint8_t* below,
                     std::int32_t width, std::uint8_t* inside) noexcept;
  // bytes[k] = (bytes[k] | set[k]) & keep[k], for k < width.
  void (*maskBytes)(std::uint8_t* bytes, std::int32_t width, const std::uint8_t* set,
                    const std::uint8_t* keep) noexcept;
  // Roberts, columns 0 to width - 2: levels[k] = black where
  // a * a + b * b >= 2500 with a = upper[k] - lower[k + 1] and
  // b = upper[k + 1] - lower[k], else white.
  void (*robertsEdges)(const std::uint8_t* upper, const std::uint8_t* lower, std::int32_t width,
                       std::uint8_t* levels) noexcept;
  // Laplace on bytes, inside columns: levels[k] = white where
  // up[k] + down[k] + centre[k - 1] + centre[k + 1] - 4 * centre[k] > 0, else black.
  void (*laplaceOfBytes)(const std::uint8_t* up, const std::uint8_t* centre, const std::uint8_t* down,
                         std::int32_t width, std::uint8_t* levels) noexcept;
  // Laplace on colour, from channel sums: gray[k] = sums[k] / 3 and
  // terms[k] = (4 * sums[k]) / 3, each truncated.
  void (*grayAndCentreTerms)(const std::uint16_t* sums, std::int32_t width, std::uint8_t* gray,
                             std::uint16_t* terms) noexcept;
  // Laplace on colour, inside columns: levels[k] = white where
  // up[k] + down[k] + centre[k - 1] + centre[k + 1] - terms[k] > 0, else black.
  void (*laplaceOfGrays)(const std::uint8_t* up, const std::uint8_t* centre, const std::uint8_t* down,
                         const std::uint16_t* terms, std::int32_t width, std::uint8_t* levels) noexcept;
  // Whiten dark: bytes below 16 become 255.
  void (*whitenDarkBytes)(std::uint8_t* bytes, std::int32_t width) noexcept;
  // Whiten dark: pixels whose Gray3 is below 16 become white.
  void (*whitenDarkPixels)(std::uint8_t* bgr, std::int32_t width) noexcept;
};

// The plain forms.
const CFilterRowRoutines& PlainFilterRowRoutines() noexcept;

// The AVX2 forms, or null when they were not built or the processor lacks AVX2.
const CFilterRowRoutines* Avx2FilterRowRoutines() noexcept;

// The fastest forms this processor runs.
const CFilterRowRoutines& FilterRowRoutines() noexcept;

}  // namespace tamrovi
