#include "store/indicator_dictionary.h"

#include <algorithm>
#include <bit>
#include <functional>
#include <unordered_map>
#include <unordered_set>
#include <utility>
#include <vector>

#include "store/gbk_text.h"

namespace orra {
namespace {

constexpr int kHashCheckShift = 32;
// Slots per leaf, at least: at most half the index is in use, so a probe meets an empty slot
// within a step or two.
constexpr size_t kSlotsPerLeaf = 2;
// How many leaves ahead of the one going in the index's slots are fetched.
constexpr size_t kProbesAhead = 16;

// A leaf in visit order: its name in names_, its record and its name's hash.
struct Leaf {
  size_t offset = 0;
  size_t length = 0;
  size_t index = 0;
  size_t hash = 0;
};

size_t HashOf(std::u16string_view name) { return std::hash<std::u16string_view>{}(name); }
uint32_t HashCheck(size_t hash) { return static_cast<uint32_t>(static_cast<uint64_t>(hash) >> kHashCheckShift); }

}  // namespace

size_t IndicatorDictionary::SlotIndex(std::u16string_view name, size_t hash) const {
  const size_t mask = slots_.size() - 1;
  const uint32_t check = HashCheck(hash);
  for (size_t at = hash & mask;; at = (at + 1) & mask) {
    const Slot& slot = slots_[at];
    if (slot.entry == 0) return at;
    if (slot.hash_check == check && entries_[slot.entry - 1].first == name) return at;
  }
}

void IndicatorDictionary::AddLeaf(std::u16string_view name, size_t hash, size_t record_index) {
  Slot& slot = slots_[SlotIndex(name, hash)];
  if (slot.entry != 0) return;
  entries_.emplace_back(name, record_index);
  slot = {static_cast<uint32_t>(entries_.size()), HashCheck(hash)};
}

IndicatorDictionary::IndicatorDictionary(std::shared_ptr<const CRecordFile> file) : file_(std::move(file)) {
  if (!file_) file_ = std::make_shared<const CRecordFile>();
  const CRecordFile& records = *file_;
  std::unordered_map<int64_t, std::vector<size_t>> children;
  // A folder's records usually follow one another: the list of the previous record's parent is
  // kept at hand (a map's values stay where they are as it grows).
  std::optional<int64_t> previous_parent;
  std::vector<size_t>* siblings = nullptr;
  size_t name_bytes = 0;
  size_t walked = 0;
  for (; walked < records.count(); ++walked) {
    const RecordKey record = records.KeyAt(walked);
    if (record.id == 0) break;
    if (previous_parent != record.parent_id) {
      previous_parent = record.parent_id;
      siblings = &children[record.parent_id];
    }
    siblings->push_back(walked);
    name_bytes += record.name.size();
  }
  const auto top = children.find(0);
  if (top == children.end()) return;
  // Entries view names_ as it fills: a byte gives at most one unit, so the block never grows
  // (and moves) while the names go in.
  names_.reserve(name_bytes);
  std::vector<Leaf> leaves;
  leaves.reserve(walked);

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
      const size_t length = AppendWideOfGbk(names_, node.name, kMaxNameChars);
      leaves.push_back({offset, length, index, HashOf(std::u16string_view(names_).substr(offset, length))});
      continue;
    }
    if (!expanded.insert(node.id).second) continue;
    const auto sub = children.find(node.id);
    if (sub != children.end()) stack.emplace_back(&sub->second, 0);
  }
  // A hundred thousand slots are spread over megabytes: each probe would wait on memory, so
  // the slots of the leaves a little ahead are fetched while the current one goes in.
  slots_.resize(std::bit_ceil(kSlotsPerLeaf * leaves.size()));
  const size_t mask = slots_.size() - 1;
  entries_.reserve(leaves.size());
  const std::u16string_view names(names_);
  for (size_t i = 0; i < leaves.size(); ++i) {
    if (i + kProbesAhead < leaves.size()) __builtin_prefetch(&slots_[leaves[i + kProbesAhead].hash & mask]);
    const Leaf& leaf = leaves[i];
    AddLeaf(names.substr(leaf.offset, leaf.length), leaf.hash, leaf.index);
  }
}

std::vector<IndicatorDictionary::Entry> IndicatorDictionary::SortedEntries() const {
  std::vector<Entry> sorted = entries_;
  std::sort(sorted.begin(), sorted.end(), [](const Entry& a, const Entry& b) { return a.first < b.first; });
  return sorted;
}

std::optional<size_t> IndicatorDictionary::Find(std::u16string_view name) const {
  if (slots_.empty()) return std::nullopt;
  const Slot& slot = slots_[SlotIndex(name, HashOf(name))];
  if (slot.entry == 0) return std::nullopt;
  return entries_[slot.entry - 1].second;
}

}  // namespace orra
