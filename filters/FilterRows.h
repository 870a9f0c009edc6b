// The filters' rules on one row at a time, on one byte a pixel: gray levels,
// the thirds a colour pixel's gray level drops (see CPictureRows), and marks
// of 0 and 255. A filter runs over the picture's rows keeping only the few
// rows its neighbourhood needs, and hands each row to these routines; they
// never see how the picture is held.
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
  // Outline, inside columns, in one pass over a row and the row below it:
  // lightestAcross of `belowGray` into `below`, then, from the `lightest` rows
  // above, here and below, the row's gray `levels` rewritten in place: a
  // level above 200 becomes 0, one whose whole neighbourhood is at most 200
  // becomes 255, every other stays. changed[k] = 255 where levels[k] was
  // rewritten, else 0: the `where` of CPictureRows::PaintLevelsWhere.
  void (*outline)(const std::uint8_t* above, const std::uint8_t* here, const std::uint8_t* belowGray,
                  std::int32_t width, std::uint8_t* below, std::uint8_t* levels, std::uint8_t* changed) noexcept;
  // Roberts, columns 0 to width - 2: levels[k] = black where
  // a * a + b * b >= 2500 with a = upper[k] - lower[k + 1] and
  // b = upper[k + 1] - lower[k], else white.
  void (*robertsEdges)(const std::uint8_t* upper, const std::uint8_t* lower, std::int32_t width,
                       std::uint8_t* levels) noexcept;
  // Laplace, inside columns: levels[k] = white where the four neighbours'
  // levels add up to more than the centre term 4 * centre[k] + thirds[k],
  // else black. That term is (4 * channel sum) / 3 truncated: with a sum of
  // 3g + t (t < 3), 4 * (3g + t) / 3 = 4g + 4t / 3, which truncates to 4g + t.
  void (*laplace)(const std::uint8_t* up, const std::uint8_t* centre, const std::uint8_t* down,
                  const std::uint8_t* thirds, std::int32_t width, std::uint8_t* levels) noexcept;
  // Whiten dark: false when no gray[k] is below 16; else true, with
  // marks[k] = 255 where gray[k] is below 16 and 0 elsewhere.
  bool (*darkMarks)(const std::uint8_t* gray, std::int32_t width, std::uint8_t* marks) noexcept;
};

// The plain forms.
const CFilterRowRoutines& PlainFilterRowRoutines() noexcept;

// The AVX2 forms, or null when they were not built or the processor lacks AVX2.
const CFilterRowRoutines* Avx2FilterRowRoutines() noexcept;

// The fastest forms this processor runs.
const CFilterRowRoutines& FilterRowRoutines() noexcept;

}  // namespace tamrovi
