// The filters' work on one row at a time, on one byte a pixel: gray levels,
// marks of 0 and 255, and gray-byte pixels. A filter runs over the
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

// The outline's lightest gray that still counts as dark.
inline constexpr int kDarkestLight = 200;
// Gray levels below this are near-black, and whitened.
inline constexpr int kDarkLevels = 16;
// A Roberts gradient magnitude of 50 or more is an edge. Compared squared,
// in integers: a and b are whole numbers, so a*a + b*b >= 2500 is exactly
// the test sqrt(a*a + b*b) >= 50.0.
inline constexpr int kEdgeMagnitude = 50;
inline constexpr int kEdgeMagnitudeSquared = kEdgeMagnitude * kEdgeMagnitude;

struct CFilterRowRoutines {
  // Outline, inside columns: lightest[k] = the largest of gray[k - 1],
  // gray[k] and gray[k + 1]. A pixel and its eight neighbours are all dark
  // exactly when the largest of `lightest` at its column in its own row and
  // in the rows above and below is dark.
  void (*lightestAcross)(const std::uint8_t* gray, std::int32_t width, std::uint8_t* lightest) noexcept;
  // Outline on bytes, inside columns, in one pass over a row and the row
  // below it: first lightestAcross of `belowGray` into `below`, then, from
  // the `lightest` rows above, here and below, each byte of the row (its own
  // gray level): a byte above 200 becomes 0 (light), a byte whose whole
  // neighbourhood is at most 200 becomes 255 (inside a dark region), and
  // every other byte stays.
  void (*outlineBytes)(const std::uint8_t* above, const std::uint8_t* here, const std::uint8_t* belowGray,
                       std::int32_t width, std::uint8_t* below, std::uint8_t* bytes) noexcept;
  // Outline on colour, inside columns: the same decisions as masks for the
  // colour row's routine maskPixels, set[k] = 255 inside a dark region and
  // keep[k] = 255 where gray[k] is dark.
  void (*outlineMasks)(const std::uint8_t* above, const std::uint8_t* here, const std::uint8_t* below,
                       const std::uint8_t* gray, std::int32_t width, std::uint8_t* set, std::uint8_t* keep) noexcept;
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
