#pragma once
// The names an autocomplete edit offers, each with the caller's value (the navigator keeps the
// index of the indicator's tree node there), and the search over them that one keystroke runs.
//
// Names are ordered by UTF-16 code unit and unique: adding a name that is already present keeps
// the value it had. Match() answers the names that contain the typed text as an exact run of
// code units (case-sensitive: "roe" does not find "ROE"), sorted for display with A-Z read as
// a-z. The views it answers point into this object and stay valid while it lives: names are only
// ever added, and adding never moves a stored name.
//
// A search reads the names from one contiguous copy kept in display order, so that it runs at
// the speed of memory read front to back and needs no sort afterwards: walking the map itself
// jumps across the heap for every name, which over 100 000 names costs more than a frame. The
// copy is made again by the first search after names were added, or by Arrange() ahead of it.
//
// Not synchronised; the thread that owns the edit uses it.

#include <cstddef>
#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace orra {

struct AutocompleteMatch {
  std::u16string_view name;
  std::size_t value = 0;

  bool operator==(const AutocompleteMatch&) const = default;
};

class AutocompleteCandidates {
 public:
  AutocompleteCandidates() = default;
  // A copy's search entries would view the original's names.
  AutocompleteCandidates(const AutocompleteCandidates&) = delete;
  AutocompleteCandidates& operator=(const AutocompleteCandidates&) = delete;
  AutocompleteCandidates(AutocompleteCandidates&&) = default;
  AutocompleteCandidates& operator=(AutocompleteCandidates&&) = default;

  // False when the name was present already (its value is then unchanged).
  bool Add(std::u16string_view name, std::size_t value);

  // Empty for an empty text.
  std::vector<AutocompleteMatch> Match(std::u16string_view text) const;

  // Makes the search copy now if names were added since, so that the next search need not.
  void Arrange() const;

  std::size_t size() const { return names_.size(); }
  bool empty() const { return names_.empty(); }

 private:
  struct Entry {
    AutocompleteMatch match;  // its name views the map's key
    std::size_t offset = 0;   // where the name's copy starts in text_
  };

  std::map<std::u16string, std::size_t> names_;
  // The search copy: every name end to end in display order, and one entry per name.
  mutable std::u16string text_;
  mutable std::vector<Entry> entries_;
  mutable bool arranged_ = true;
};

// The display order of matches: whole texts compared unit by unit with A-Z folded to a-z, the
// folded-equal ones (ROE, Roe) kept in code-unit order so the order is total.
bool DisplaysBefore(std::u16string_view a, std::u16string_view b);

}  // namespace orra
