#include "ui/autocomplete_candidates.h"

#include <algorithm>

namespace orra {
namespace {

constexpr char16_t LowerAscii(char16_t unit) {
  return unit >= u'A' && unit <= u'Z' ? static_cast<char16_t>(unit + (u'a' - u'A')) : unit;
}

}  // namespace

bool DisplaysBefore(std::u16string_view a, std::u16string_view b) {
  const std::size_t common = std::min(a.size(), b.size());
  for (std::size_t i = 0; i < common; ++i) {
    const char16_t x = LowerAscii(a[i]), y = LowerAscii(b[i]);
    if (x != y) return x < y;
  }
  if (a.size() != b.size()) return a.size() < b.size();
  return a < b;
}

bool AutocompleteCandidates::Add(std::u16string name, std::size_t value) {
  return names_.emplace(std::move(name), value).second;
}

std::vector<AutocompleteMatch> AutocompleteCandidates::Match(std::u16string_view text) const {
  std::vector<AutocompleteMatch> matches;
  if (text.empty()) return matches;
  for (const auto& [name, value] : names_) {
    if (name.size() < text.size() || std::u16string_view(name).find(text) == std::u16string_view::npos) continue;
    matches.push_back({name, value});
  }
  // The map already yields code-unit order, which is the display order unless capital letters
  // are involved; a one-character query can match tens of thousands of names, and one pass that
  // finds them in order spares them the sort.
  const auto before = [](const AutocompleteMatch& a, const AutocompleteMatch& b) { return DisplaysBefore(a.name, b.name); };
  if (!std::is_sorted(matches.begin(), matches.end(), before)) std::sort(matches.begin(), matches.end(), before);
  return matches;
}

}  // namespace orra
