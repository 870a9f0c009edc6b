#include "filters/WorkRows.h"

#include "image/BmpImage.h"
#include "platform/Allocation.h"

namespace tamrovi {
namespace {

constexpr std::int64_t kCacheLine = 64;

}  // namespace

CWorkRows::CWorkRows(CBmpImage& image, std::int64_t rowBytes, std::int32_t count) noexcept
    : m_stride((rowBytes + kCacheLine - 1) / kCacheLine * kCacheLine),
      m_pRows(static_cast<std::uint8_t*>(AllocateBlock(m_stride * count))) {
  if (m_pRows == nullptr) image.m_filterOutOfMemory = 1;
}

CWorkRows::~CWorkRows() { ReleaseBlock(m_pRows); }

}  // namespace tamrovi
