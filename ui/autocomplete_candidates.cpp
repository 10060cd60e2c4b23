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

bool AutocompleteCandidates::Add(std::u16string_view name, std::size_t value) {
  const bool added = names_.emplace(name, value).second;
  arranged_ = arranged_ && !added;
  return added;
}

void AutocompleteCandidates::Arrange() const {
  if (arranged_) return;
  // Names without a capital letter already come in display order from the map; only those with
  // one need sorting, and the two runs merge in one pass. Most indicator names are Chinese, so
  // this sorts a fraction of them.
  std::vector<AutocompleteMatch> plain, capitalised;
  for (const auto& [name, value] : names_) {
    const bool has_capital = std::any_of(name.begin(), name.end(), [](char16_t unit) { return unit != LowerAscii(unit); });
    (has_capital ? capitalised : plain).push_back({name, value});
  }
  const auto before = [](const AutocompleteMatch& a, const AutocompleteMatch& b) { return DisplaysBefore(a.name, b.name); };
  std::sort(capitalised.begin(), capitalised.end(), before);
  std::vector<AutocompleteMatch> order(names_.size());
  std::merge(plain.begin(), plain.end(), capitalised.begin(), capitalised.end(), order.begin(), before);
  std::size_t units = 0;
  for (const AutocompleteMatch& match : order) units += match.name.size();
  text_.clear();
  text_.reserve(units);
  entries_.clear();
  entries_.reserve(order.size());
  for (const AutocompleteMatch& match : order) {
    entries_.push_back({match, text_.size()});
    text_.append(match.name);
  }
  arranged_ = true;
}

std::vector<AutocompleteMatch> AutocompleteCandidates::Match(std::u16string_view text) const {
  std::vector<AutocompleteMatch> matches;
  if (text.empty()) return matches;
  Arrange();
  const std::u16string_view all = text_;
  for (const Entry& entry : entries_) {
    const std::size_t length = entry.match.name.size();
    if (length >= text.size() && all.substr(entry.offset, length).find(text) != std::u16string_view::npos) {
      matches.push_back(entry.match);
    }
  }
  return matches;
}

}  // namespace orra
