#include "cli/FilterChoice.h"

#include <algorithm>
#include <charconv>
#include <string_view>
#include <vector>

#include "cli/Arguments.h"
#include "cli/Messages.h"
#include "entry/FilterTable.h"

namespace tamrovi::cli {
namespace {

// Letters to insert, remove or change to make one text the other.
std::size_t EditDistance(std::string_view from, std::string_view to) {
  std::vector<std::size_t> previous(to.size() + 1);
  std::vector<std::size_t> current(to.size() + 1);
  for (std::size_t j = 0; j <= to.size(); ++j) previous[j] = j;
  for (std::size_t i = 1; i <= from.size(); ++i) {
    current[0] = i;
    for (std::size_t j = 1; j <= to.size(); ++j) {
      const std::size_t change = previous[j - 1] + (from[i - 1] == to[j - 1] ? 0 : 1);
      current[j] = std::min({change, previous[j] + 1, current[j - 1] + 1});
    }
    std::swap(previous, current);
  }
  return previous[to.size()];
}

// A name is near when a slip of two letters or less, a difference of case, or
// a shortening ("whiten" for "whiten-dark") separates it from the text.
bool IsNear(const std::string& text, const std::string& name) {
  constexpr std::size_t kFewestLettersOfAPart = 3;
  return EditDistance(text, name) <= 2 || (text.size() >= kFewestLettersOfAPart && name.find(text) != std::string::npos);
}

bool LooksLikeANumber(std::string_view text) {
  if (!text.empty() && text[0] == '-') text.remove_prefix(1);
  return !text.empty() && std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

std::string NamesOf(const std::vector<std::string>& names, const char* lastJoin) {
  std::string joined;
  for (std::size_t i = 0; i < names.size(); ++i) {
    if (i > 0) joined += i + 1 == names.size() ? lastJoin : ", ";
    joined += names[i];
  }
  return joined;
}

std::string UnknownNameMessage(const std::string& text) {
  const std::string lower = AsciiLowerCase(text);
  std::vector<std::string> every;
  std::vector<std::string> near;
  for (const FilterDescriptor& filter : FilterTable()) {
    if (std::find(every.begin(), every.end(), filter.name) != every.end()) continue;
    every.emplace_back(filter.name);
    if (IsNear(lower, filter.name)) near.emplace_back(filter.name);
  }
  const std::string start = "unknown filter '" + Printable(text) + "' ";
  if (!near.empty()) return start + "(did you mean " + NamesOf(near, " or ") + "?)";
  return start + "(the filters are " + NamesOf(every, " and ") + ")";
}

}  // namespace

CChecked<std::int32_t> ChooseFilter(const std::string& text) {
  if (LooksLikeANumber(text)) {
    std::int32_t code = 0;
    const char* end = text.data() + text.size();
    const auto [last, status] = std::from_chars(text.data(), end, code);
    if (status == std::errc() && last == end && FindFilter(code) != nullptr) return {"", code};
    const auto table = FilterTable();
    return {"no filter has code " + Printable(text) + " (the codes are " + std::to_string(table.front().code) + " to " +
            std::to_string(table.back().code) + "; see bmpfilters --list)"};
  }
  if (const FilterDescriptor* filter = FindFilterByName(text)) return {"", filter->code};
  return {UnknownNameMessage(text)};
}

}  // namespace tamrovi::cli
