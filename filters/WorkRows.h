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

namespace tamrovi {

class CBmpImage;

class CWorkRows {
 public:
  // `count` rows of `rowBytes` bytes each, contents undefined, for a filter
  // run on `image`. When they cannot be had the image records it
  // (m_filterOutOfMemory), so that the picture it keeps unfiltered is never
  // written as if the filter had run.
  CWorkRows(CBmpImage& image, std::int64_t rowBytes, std::int32_t count) noexcept;
  CWorkRows(const CWorkRows&) = delete;
  CWorkRows& operator=(const CWorkRows&) = delete;
  ~CWorkRows();

  // False when the memory could not be had: the filter must then leave the
  // picture as it is.
  bool IsHeld() const noexcept { return m_pRows != nullptr; }

  std::uint8_t* Row(std::int32_t index) const noexcept { return m_pRows + index * m_stride; }

 private:
  std::int64_t m_stride;  // whole cache lines, so that rows of 16-bit values stay aligned
  std::uint8_t* m_pRows;
};

}  // namespace tamrovi
