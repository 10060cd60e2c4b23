#pragma once
// The indicator dictionary: indicator name to its leaf record of the indicator file, built
// depth first from the file's folder tree. Immutable once built; it holds the record file it
// refers to, so an entry stays valid for as long as someone holds the dictionary.
//
// The entries are one sorted vector of views into one block of names rather than a tree of
// strings: a terminal files a hundred thousand indicators, and the store is loaded on Excel's
// main thread, where a node and a string per name cost more than sorting small views once; a
// lookup is the same binary search.

#include <cstddef>
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

  // Name -> record index in file(), ordered by name (UTF-16 units), each name once.
  const std::vector<Entry>& entries() const { return entries_; }
  const CRecordFile& file() const { return *file_; }
  std::optional<size_t> Find(std::u16string_view name) const;

 private:
  std::shared_ptr<const CRecordFile> file_;
  std::u16string names_;  // every entry's name, back to back
  std::vector<Entry> entries_;
};

}  // namespace orra
