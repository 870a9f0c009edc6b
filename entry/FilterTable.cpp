#include "entry/FilterTable.h"

#include "filters/Filters.h"

namespace tamrovi {
namespace {

// The filters that cannot fail, in the table's form.
template <FilterOperation kFilter>
CResult Always(CBmpImage& image) noexcept {
  kFilter(image);
  return {};
}

constexpr FilterDescriptor kFilters[] = {
    {0, "none", "no filter: the picture is written as read", nullptr},
    {1, "outline", "outline of dark regions", Outline},
    {2, "roberts", "Roberts-cross edges, black on white", Roberts},
    {3, "laplace", "four-neighbour Laplacian, two levels", Laplace},
    {4, "whiten-dark", "near-black pixels (gray below 16) become white", Always<WhitenDarkFilter>},
    {5, "flip", "vertical flip", Always<FlipVertical>},
    {6, "whiten-dark", "the same as 4", Always<WhitenDarkFilter>},
    {7, "window", "whiten everything outside the centre window", Always<CentreWindowFilter>},
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

CResult ApplyFilterCode(CBmpImage& image, std::int32_t code) noexcept {
  const FilterDescriptor* filter = FindFilter(code);
  return filter != nullptr && filter->run != nullptr ? filter->run(image) : CResult{};
}

}  // namespace tamrovi
