// The filter codes: the one place where a filter plugs in.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>

#include "image/BmpImage.h"
#include "platform/Result.h"

namespace tamrovi {

// A filter as its callers name it: it rewrites a loaded picture in place and
// always returns 1.
using FilterOperation = int (*)(CBmpImage& image) noexcept;

// A filter as the table runs it: kOutOfMemory when it could not run.
using FilterRoutine = CResult (*)(CBmpImage& image) noexcept;

struct FilterDescriptor {
  std::int32_t code;
  const char* name;     // the command-line name
  const char* summary;  // one line for --list
  FilterRoutine run;    // null: the picture is written as loaded
};

// Every listed code, in code order (0 and 6 included).
std::span<const FilterDescriptor> FilterTable() noexcept;

// The descriptor of `code`, or null for a code the table does not list.
const FilterDescriptor* FindFilter(std::int32_t code) noexcept;

// The first descriptor named `name`, or null.
const FilterDescriptor* FindFilterByName(std::string_view name) noexcept;

// Runs the filter `code` selects on `image`; unlisted codes do nothing.
// kOutOfMemory when the filter could not run: the picture is then as it was,
// and must not be written as the filter's result.
CResult ApplyFilterCode(CBmpImage& image, std::int32_t code) noexcept;

}  // namespace tamrovi
