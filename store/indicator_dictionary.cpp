#include "store/indicator_dictionary.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <unordered_map>
#include <unordered_set>
#include <utility>
#include <vector>

#include "store/gbk_text.h"

namespace orra {
namespace {

// a < b in UTF-16 units, as u16string_view's operator< orders them, four units at a time:
// sorting a hundred thousand names that share their first characters spends its time here.
bool UnitsLess(std::u16string_view a, std::u16string_view b) {
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
    if (a[i] != b[i]) return a[i] < b[i];
  }
  return a.size() < b.size();
}

}  // namespace

IndicatorDictionary::IndicatorDictionary(std::shared_ptr<const CRecordFile> file) : file_(std::move(file)) {
  if (!file_) file_ = std::make_shared<const CRecordFile>();
  const CRecordFile& records = *file_;
  struct Node {
    bool is_folder;
    int64_t id;
    std::string_view name;
  };
  std::vector<Node> nodes;
  nodes.reserve(records.count());
  std::unordered_map<int64_t, std::vector<size_t>> children;
  for (size_t i = 0; i < records.count(); ++i) {
    const RecordKey record = records.KeyAt(i);
    if (record.id == 0) break;
    nodes.push_back({record.is_folder, record.id, record.name});
    children[record.parent_id].push_back(i);
  }
  const auto top = children.find(0);
  if (top == children.end()) return;
  // Where each leaf's name lies in names_, in visit order; views are taken once names_ is whole.
  struct Placed {
    size_t offset;
    size_t length;
    size_t index;
  };
  std::vector<Placed> placed;
  placed.reserve(nodes.size());

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
    const Node& node = nodes[index];
    if (!node.is_folder) {
      const size_t offset = names_.size();
      placed.push_back({offset, AppendWideOfGbk(names_, node.name, kMaxNameChars), index});
      continue;
    }
    if (!expanded.insert(node.id).second) continue;
    const auto sub = children.find(node.id);
    if (sub != children.end()) stack.emplace_back(&sub->second, 0);
  }
  entries_.reserve(placed.size());
  for (const Placed& p : placed) entries_.emplace_back(std::u16string_view(names_).substr(p.offset, p.length), p.index);
  // Visit order among equal names is kept, so the first leaf met keeps its name.
  const auto by_name = [](const Entry& a, const Entry& b) { return UnitsLess(a.first, b.first); };
  std::stable_sort(entries_.begin(), entries_.end(), by_name);
  const auto same_name = [](const Entry& a, const Entry& b) { return a.first == b.first; };
  entries_.erase(std::unique(entries_.begin(), entries_.end(), same_name), entries_.end());
}

std::optional<size_t> IndicatorDictionary::Find(std::u16string_view name) const {
  const auto it = std::lower_bound(entries_.begin(), entries_.end(), name,
                                   [](const Entry& entry, std::u16string_view key) { return entry.first < key; });
  if (it == entries_.end() || it->first != name) return std::nullopt;
  return it->second;
}

}  // namespace orra
