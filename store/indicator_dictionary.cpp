#include "store/indicator_dictionary.h"

#include <unordered_map>
#include <unordered_set>
#include <utility>
#include <vector>

#include "store/gbk_text.h"

namespace orra {

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
    const RecordView record = records.At(i);
    if (record.id == 0) break;
    nodes.push_back({record.is_folder, record.id, record.name});
    children[record.parent_id].push_back(i);
  }
  const auto top = children.find(0);
  if (top == children.end()) return;

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
      entries_.emplace(WideOfGbk(node.name, kMaxNameChars), index);
      continue;
    }
    if (!expanded.insert(node.id).second) continue;
    const auto sub = children.find(node.id);
    if (sub != children.end()) stack.emplace_back(&sub->second, 0);
  }
}

std::optional<size_t> IndicatorDictionary::Find(std::u16string_view name) const {
  const auto it = entries_.find(name);
  if (it == entries_.end()) return std::nullopt;
  return it->second;
}

}  // namespace orra
