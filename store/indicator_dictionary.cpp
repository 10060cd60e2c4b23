#include "store/indicator_dictionary.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <unordered_map>
#include <unordered_set>
#include <utility>
#include <vector>

#include "store/gbk_text.h"

namespace orra {
namespace {

// The order of a and b in UTF-16 units, as u16string_view's compare gives it, four units at a
// time: negative, zero or positive.
int CompareUnits(std::u16string_view a, std::u16string_view b) {
  constexpr size_t kUnitsPerWord = sizeof(uint64_t) / sizeof(char16_t);
  const size_t common = std::min(a.size(), b.size());
  size_t i = 0;
  for (; i + kUnitsPerWord <= common; i += kUnitsPerWord) {
    uint64_t wa, wb;
    std::memcpy(&wa, a.data() + i, sizeof wa);
    std::memcpy(&wb, b.data() + i, sizeof wb);
    if (wa != wb) break;
  }
  for (; i < common; ++i) {
    if (a[i] != b[i]) return a[i] < b[i] ? -1 : 1;
  }
  return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

// Where a leaf's name lies in the name block, and its record.
struct Placed {
  size_t offset = 0;
  size_t length = 0;
  size_t index = 0;
};

// A leaf's name as the sort sees it: its first eight units packed so that comparing the words
// as integers orders names as their units do (a short name padded with zero units), and its
// place in visit order. Sorting a hundred thousand names spent most of its time walking from
// entry to name; keyed on the head, the sort never leaves the key array, and only names that
// agree in all eight units compare their rest in the name block.
struct SortKey {
  static constexpr size_t kUnitsPerWord = 4;
  static constexpr size_t kKeyUnits = 2 * kUnitsPerWord;

  uint64_t head = 0;  // units 0-3, the first in the top bits
  uint64_t tail = 0;  // units 4-7
  size_t visit = 0;   // in the placed leaves

  SortKey() = default;
  SortKey(std::u16string_view name, size_t visit_order)
      : head(Pack(name, 0)), tail(Pack(name, kUnitsPerWord)), visit(visit_order) {}

  // Units first..first+3 of `name`, zero past its end, the first in the top bits.
  static uint64_t Pack(std::u16string_view name, size_t first) {
    char16_t units[kUnitsPerWord] = {};
    if (first < name.size()) {
      std::memcpy(units, name.data() + first, std::min(kUnitsPerWord, name.size() - first) * sizeof(char16_t));
    }
    return uint64_t{units[0]} << 48 | uint64_t{units[1]} << 32 | uint64_t{units[2]} << 16 | units[3];
  }
};

// Sorts keys by their packed units, keeping the order of equal ones: a byte at a time from the
// least significant, as a radix sort does, skipping the bytes that all keys share (names that
// start alike, the high bytes of ASCII units, the zeros that pad short names). A comparison
// sort spent as much time as the rest of the dictionary's building together.
void SortByPackedUnits(std::vector<SortKey>& keys) {
  constexpr size_t kBytesPerWord = sizeof(uint64_t);
  constexpr size_t kBuckets = 256;
  constexpr uint64_t kByteMask = 0xFF;
  // Byte d of a key: the tail's bytes first, then the head's, each from the least significant.
  const auto word_of = [](size_t d) { return d < kBytesPerWord ? &SortKey::tail : &SortKey::head; };
  const auto byte_of = [](uint64_t word, size_t d) { return (word >> (8 * (d % kBytesPerWord))) & kByteMask; };
  if (keys.empty()) return;
  // A byte that every key holds alike is where some bit differs from the first key in none:
  // one pass finds them, and only the other bytes are counted and sorted on.
  uint64_t head_differs = 0, tail_differs = 0;
  for (const SortKey& key : keys) {
    head_differs |= key.head ^ keys.front().head;
    tail_differs |= key.tail ^ keys.front().tail;
  }
  std::vector<size_t> digits;
  for (size_t d = 0; d < 2 * kBytesPerWord; ++d) {
    if (byte_of(d < kBytesPerWord ? tail_differs : head_differs, d) != 0) digits.push_back(d);
  }
  std::vector<std::array<size_t, kBuckets>> counts(digits.size());
  for (const SortKey& key : keys) {
    for (size_t k = 0; k < digits.size(); ++k) ++counts[k][byte_of(key.*word_of(digits[k]), digits[k])];
  }
  std::vector<SortKey> sorted(keys.size());
  for (size_t k = 0; k < digits.size(); ++k) {
    std::array<size_t, kBuckets>& count = counts[k];
    size_t start = 0;
    for (size_t& c : count) start += std::exchange(c, start);
    const auto word = word_of(digits[k]);
    const size_t d = digits[k];
    for (const SortKey& key : keys) sorted[count[byte_of(key.*word, d)]++] = key;
    keys.swap(sorted);
  }
}

// Orders two leaves' names. Equal packed units leave the lengths to decide while either name
// ends within them (padding aside, every unit they share is equal); past them the rest of the
// names does.
class NameOrder {
 public:
  NameOrder(std::u16string_view names, const std::vector<Placed>& placed) : names_(names), placed_(placed) {}

  int Compare(const SortKey& a, const SortKey& b) const {
    if (a.head != b.head) return a.head < b.head ? -1 : 1;
    if (a.tail != b.tail) return a.tail < b.tail ? -1 : 1;
    const Placed& pa = placed_[a.visit];
    const Placed& pb = placed_[b.visit];
    if (pa.length <= SortKey::kKeyUnits || pb.length <= SortKey::kKeyUnits) {
      return pa.length == pb.length ? 0 : (pa.length < pb.length ? -1 : 1);
    }
    constexpr size_t k = SortKey::kKeyUnits;
    return CompareUnits(names_.substr(pa.offset + k, pa.length - k), names_.substr(pb.offset + k, pb.length - k));
  }
  bool operator()(const SortKey& a, const SortKey& b) const { return Compare(a, b) < 0; }

 private:
  std::u16string_view names_;
  const std::vector<Placed>& placed_;
};

}  // namespace

IndicatorDictionary::IndicatorDictionary(std::shared_ptr<const CRecordFile> file) : file_(std::move(file)) {
  if (!file_) file_ = std::make_shared<const CRecordFile>();
  const CRecordFile& records = *file_;
  std::unordered_map<int64_t, std::vector<size_t>> children;
  // A folder's records usually follow one another: the list of the previous record's parent is
  // kept at hand (a map's values stay where they are as it grows).
  std::optional<int64_t> previous_parent;
  std::vector<size_t>* siblings = nullptr;
  size_t name_bytes = 0;
  for (size_t i = 0; i < records.count(); ++i) {
    const RecordKey record = records.KeyAt(i);
    if (record.id == 0) break;
    if (previous_parent != record.parent_id) {
      previous_parent = record.parent_id;
      siblings = &children[record.parent_id];
    }
    siblings->push_back(i);
    name_bytes += record.name.size();
  }
  const auto top = children.find(0);
  if (top == children.end()) return;
  // Every leaf in visit order; views are taken once names_ is whole. A byte gives at most one
  // unit, so the block never grows (and copies itself) while the names go in.
  std::vector<Placed> placed;
  placed.reserve(records.count());
  names_.reserve(name_bytes);

  // One frame per folder being expanded: its children and the next one to visit.
  std::vector<std::pair<const std::vector<size_t>*, size_t>> stack{{&top->second, 0}};
  std::unordered_set<int64_t> expanded;
  while (!stack.empty()) {
    auto& [list, next] = stack.back();
    if (next == list->size()) {
      stack.pop_back();
      continue;
    }
    const size_t index = (*list)[next++];
    const RecordKey node = records.KeyAt(index);
    if (!node.is_folder) {
      const size_t offset = names_.size();
      placed.push_back({offset, AppendWideOfGbk(names_, node.name, kMaxNameChars), index});
      continue;
    }
    if (!expanded.insert(node.id).second) continue;
    const auto sub = children.find(node.id);
    if (sub != children.end()) stack.emplace_back(&sub->second, 0);
  }
  const std::u16string_view names(names_);
  std::vector<SortKey> keys;
  keys.reserve(placed.size());
  for (size_t i = 0; i < placed.size(); ++i) keys.emplace_back(names.substr(placed[i].offset, placed[i].length), i);
  // Visit order among equal names is kept, so the first leaf met keeps its name.
  SortByPackedUnits(keys);
  const NameOrder order(names, placed);
  // Names that agree in all their packed units are ordered by their lengths and the rest.
  for (size_t first = 0; first < keys.size();) {
    size_t end = first + 1;
    while (end < keys.size() && keys[end].head == keys[first].head && keys[end].tail == keys[first].tail) ++end;
    const auto begin = keys.begin();
    if (end - first > 1) std::stable_sort(begin + static_cast<ptrdiff_t>(first), begin + static_cast<ptrdiff_t>(end), order);
    first = end;
  }
  entries_.reserve(keys.size());
  for (size_t i = 0; i < keys.size(); ++i) {
    if (i > 0 && order.Compare(keys[i - 1], keys[i]) == 0) continue;
    const Placed& leaf = placed[keys[i].visit];
    entries_.emplace_back(names.substr(leaf.offset, leaf.length), leaf.index);
  }
}

std::optional<size_t> IndicatorDictionary::Find(std::u16string_view name) const {
  const auto it = std::lower_bound(entries_.begin(), entries_.end(), name,
                                   [](const Entry& entry, std::u16string_view key) { return entry.first < key; });
  if (it == entries_.end() || it->first != name) return std::nullopt;
  return it->second;
}

}  // namespace orra
