// A filter's work rows: the few rows of one byte a pixel (gray levels, marks,
// results) that the neighbourhood of the row being written needs, taken from
// the library's allocator as one block when a filter starts and given back
// when it ends.
//
// The filters that look at neighbours read each picture row before anything
// of it is written and keep what they need of it here: a row is rewritten
// only after the row below it has been read, and what the row above held
// before it was rewritten stays in the work rows. No result can then depend
// on a pixel already rewritten, and the work rows stay a few kilobytes where a
// table of the whole picture would be megabytes.
#pragma once

#include <cstdint>

#include "image/PictureRows.h"
#include "platform/Allocation.h"
#include "platform/Result.h"

namespace tamrovi {

class CWorkRows {
 public:
  // `count` rows of `rowBytes` bytes each, contents undefined.
  CWorkRows(std::int64_t rowBytes, std::int32_t count) noexcept
      : m_stride((rowBytes + kCacheLine - 1) / kCacheLine * kCacheLine),
        m_pRows(static_cast<std::uint8_t*>(AllocateBlock(m_stride * count))) {}
  CWorkRows(const CWorkRows&) = delete;
  CWorkRows& operator=(const CWorkRows&) = delete;
  ~CWorkRows() { ReleaseBlock(m_pRows); }

  // False when the memory could not be had: the filter must then leave the
  // picture as it is and say so (kOutOfMemory), so that the picture it keeps
  // unfiltered is never written as if the filter had run.
  bool IsHeld() const noexcept { return m_pRows != nullptr; }

  std::uint8_t* Row(std::int32_t index) const noexcept { return m_pRows + index * m_stride; }

 private:
  static constexpr std::int64_t kCacheLine = 64;

  std::int64_t m_stride;  // whole cache lines, so that rows of 16-bit values stay aligned
  std::uint8_t* m_pRows;
};

// Runs `work` (a function of the picture's rows and the work rows) with
// `count` work rows as wide as the picture; kOutOfMemory, the picture left as
// it is, when they cannot be had. An empty picture has nothing to work on.
template <typename Work>
CResult WithWorkRows(CBmpImage& image, std::int32_t count, Work work) noexcept {
  const CPictureRows picture(image);
  if (picture.IsEmpty()) return {};
  CWorkRows rows(picture.Width(), count);
  if (!rows.IsHeld()) return {Reason::kOutOfMemory, 0};
  work(picture, rows);
  return {};
}

}  // namespace tamrovi
