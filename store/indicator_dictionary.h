#pragma once
// The indicator dictionary: indicator name to its leaf record of the indicator file, built
// depth first from the file's folder tree. Immutable once built; it holds the record file it
// refers to, so an entry stays valid for as long as someone holds the dictionary.

#include <cstddef>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "store/record_file.h"

namespace orra {

class IndicatorDictionary {
 public:
  static constexpr size_t kMaxNameChars = 255;

  IndicatorDictionary() = default;
  // Visits the top-level records in file order, expanding each folder into the records filed
  // under its id, depth first; a leaf goes in under its name unless the name is already there.
  // The walk ends at the first record with id 0. A folder is expanded once: meeting it again
  // (a cycle, or a second folder of the same id) adds nothing new, so the visit stops there.
  explicit IndicatorDictionary(std::shared_ptr<const CRecordFile> file);

  bool empty() const { return entries_.empty(); }
  size_t size() const { return entries_.size(); }
  // Name -> record index in file(), in the map's order.
  const std::map<std::u16string, size_t, std::less<>>& entries() const { return entries_; }
  const CRecordFile& file() const { return *file_; }
  std::optional<size_t> Find(std::u16string_view name) const;

 private:
  std::shared_ptr<const CRecordFile> file_;
  std::map<std::u16string, size_t, std::less<>> entries_;
};

}  // namespace orra
