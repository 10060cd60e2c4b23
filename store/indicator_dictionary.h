#pragma once
// The indicator dictionary: indicator name to its leaf record of the indicator file, built
// depth first from the file's folder tree. Immutable once built; it holds the record file it
// refers to, so an entry stays valid for as long as someone holds the dictionary.
//
// Names are looked up, never walked in order, while the add-in runs: the entries are kept in
// visit order with an open-addressing hash index over them, and ordered only when a listing
// asks. A terminal files a hundred thousand indicators and the store is loaded on Excel's main
// thread, where building a sorted vector of them took a quarter to a third of the load (and a
// node per name in an ordered map more still).

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "store/record_file.h"

namespace orra {

class IndicatorDictionary {
 public:
  static constexpr size_t kMaxNameChars = 255;

  IndicatorDictionary() = default;
  // The entries point into names_: the dictionary stays where it was built.
  IndicatorDictionary(const IndicatorDictionary&) = delete;
  IndicatorDictionary& operator=(const IndicatorDictionary&) = delete;
  // Visits the top-level records in file order, expanding each folder into the records filed
  // under its id, depth first; a leaf goes in under its name unless the name is already there.
  // The walk ends at the first record with id 0. A folder is expanded once: meeting it again
  // (a cycle, or a second folder of the same id) adds nothing new, so the visit stops there.
  explicit IndicatorDictionary(std::shared_ptr<const CRecordFile> file);

  bool empty() const { return entries_.empty(); }
  size_t size() const { return entries_.size(); }
  using Entry = std::pair<std::u16string_view, size_t>;

  // Name -> record index in file(), each name once, ordered by name (UTF-16 units); sorted
  // anew on every call, for listings.
  std::vector<Entry> SortedEntries() const;
  const CRecordFile& file() const { return *file_; }
  std::optional<size_t> Find(std::u16string_view name) const;

 private:
  // One place of the hash index: the entry it holds (0 when empty, else its index + 1) and the
  // upper half of the name's hash, which rules out most other names without reading them.
  struct Slot {
    uint32_t entry = 0;
    uint32_t hash_check = 0;
  };

  // Where `name` is in slots_, or the empty slot where it would go.
  size_t SlotIndex(std::u16string_view name, size_t hash) const;
  // Adds a leaf under `name` (a view into names_) unless a leaf of that name is in already.
  void AddLeaf(std::u16string_view name, size_t hash, size_t record_index);

  std::shared_ptr<const CRecordFile> file_;
  std::u16string names_;  // every entry's name, back to back
  std::vector<Entry> entries_;  // in visit order
  std::vector<Slot> slots_;     // a power of two of them, at most half in use
};

}  // namespace orra
