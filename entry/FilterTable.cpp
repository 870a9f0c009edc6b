#include "entry/FilterTable.h"

#include "filters/Filters.h"

namespace tamrovi {
namespace {

constexpr FilterDescriptor kFilters[] = {
    {0, "none", "no filter: the picture is written as read", nullptr},
    {1, "outline", "outline of dark regions", OutlineFilter},
    {2, "roberts", "Roberts-cross edges, black on white", RobertsFilter},
    {3, "laplace", "four-neighbour Laplacian, two levels", LaplaceFilter},
    {4, "whiten-dark", "near-black pixels (gray below 16) become white", WhitenDarkFilter},
    {5, "flip", "vertical flip", FlipVertical},
    {6, "whiten-dark", "the same as 4", WhitenDarkFilter},
    {7, "window", "whiten everything outside the centre window", CentreWindowFilter},
};

}  // namespace

std::span<const FilterDescriptor> FilterTable() noexcept { return kFilters; }

const FilterDescriptor* FindFilter(std::int32_t code) noexcept {
  for (const FilterDescriptor& filter : kFilters) {
    if (filter.code == code) return &filter;
  }
  return nullptr;
}

const FilterDescriptor* FindFilterByName(std::string_view name) noexcept {
  for (const FilterDescriptor& filter : kFilters) {
    if (name == filter.name) return &filter;
  }
  return nullptr;
}

bool ApplyFilterCode(CBmpImage& image, std::int32_t code) noexcept {
  image.m_filterOutOfMemory = 0;
  const FilterDescriptor* filter = FindFilter(code);
  if (filter != nullptr && filter->run != nullptr) filter->run(image);
  return image.m_filterOutOfMemory == 0;
}

}  // namespace tamrovi
