#include "analysis/GrayHistogram.h"

#include "image/PictureRows.h"

namespace tamrovi {
namespace {

// Counting into one table makes a pixel wait for the increment before it
// whenever two pixels close together share a level (the counter is stored
// and loaded again); pixels taken in turn into eight tables can be counted
// at once, and the tables are added up at the end.
constexpr int kTables = 8;
using CountTables = std::uint32_t[kTables][kGrayLevels];

void CountLevels(const std::uint8_t* levels, std::int32_t count, CountTables& tables) {
  std::int32_t k = 0;
  for (; k + kTables <= count; k += kTables) {
    for (int table = 0; table < kTables; ++table) ++tables[table][levels[k + table]];
  }
  for (; k < count; ++k) ++tables[0][levels[k]];
}

// Rows are turned into gray levels a piece at a time, in a buffer on the
// stack: the histogram allocates nothing.
void CountRow(const CPictureRows& picture, std::int32_t row, CountTables& tables) {
  constexpr std::int32_t kPiece = 1024;
  std::uint8_t gray[kPiece];
  for (std::int32_t start = 0; start < picture.Width(); start += kPiece) {
    const std::int32_t count = picture.Width() - start < kPiece ? picture.Width() - start : kPiece;
    CountLevels(picture.GrayLevels(row, start, count, gray), count, tables);
  }
}

}  // namespace

int GrayHistogram(const CBmpImage& image, std::int32_t (&counts)[kGrayLevels]) noexcept {
  CountTables tables = {};
  const CPictureRows picture(image);
  for (std::int32_t row = 0; row < picture.Height() && !picture.IsEmpty(); ++row) CountRow(picture, row, tables);
  for (int level = 0; level < kGrayLevels; ++level) {
    std::uint32_t total = 0;
    for (const auto& table : tables) total += table[level];
    counts[level] = static_cast<std::int32_t>(total);
  }
  return 1;
}

}  // namespace tamrovi
