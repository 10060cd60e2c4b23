#include "ui/indicator_tree.h"

#include <algorithm>
#include <numeric>
#include <unordered_map>
#include <unordered_set>
#include <utility>

#include "store/gbk_text.h"

namespace orra {
namespace {

constexpr std::u16string_view kFolderOpen = u"[ ";
constexpr std::u16string_view kFolderClose = u" ]";
// Room a node's text may take besides its name's units (a byte gives at most one unit).
constexpr size_t kTextExtraUnits = kFolderOpen.size() + kFolderClose.size() + 1;

}  // namespace

std::u16string_view IndicatorTree::AppendText(const RecordKey& record) {
  const size_t start = texts_.size();
  if (record.is_folder) texts_.append(kFolderOpen);
  AppendWideOfGbk(texts_, record.name, kMaxTextChars);
  if (record.is_folder) texts_.append(kFolderClose);
  texts_.resize(std::min(texts_.size(), start + kMaxTextChars));
  const size_t length = texts_.size() - start;
  texts_.push_back(u'\0');
  return std::u16string_view(texts_).substr(start, length);
}

IndicatorTree::IndicatorTree(std::shared_ptr<const CRecordFile> file) : file_(std::move(file)) {
  if (!file_) file_ = std::make_shared<const CRecordFile>();
  const CRecordFile& records = *file_;
  // One pass over the file groups the records by parent, so that building every folder's
  // children is not another pass over a hundred thousand records.
  std::unordered_map<int64_t, std::vector<size_t>> children;
  size_t text_units = 0;
  size_t walked = 0;
  for (; walked < records.count(); ++walked) {
    const RecordKey record = records.KeyAt(walked);
    if (record.id == 0) break;
    children[record.parent_id].push_back(walked);
    text_units += record.name.size() + kTextExtraUnits;
  }
  const auto top = children.find(0);
  if (top == children.end()) return;
  // A record becomes a node at most once, so the block never grows past this.
  texts_.reserve(text_units);
  nodes_.reserve(walked);

  std::vector<SearchCandidate> leaves;
  leaves.reserve(walked);
  // One frame per folder being built: its records, the next one to take, the folder's node.
  struct Frame {
    const std::vector<size_t>* records;
    size_t next;
    std::optional<size_t> node;
  };
  std::vector<Frame> stack{{&top->second, 0, std::nullopt}};
  std::unordered_set<int64_t> expanded{0};
  while (!stack.empty()) {
    Frame& frame = stack.back();
    if (frame.next == frame.records->size()) {
      stack.pop_back();
      continue;
    }
    const size_t index = (*frame.records)[frame.next++];
    const RecordKey record = records.KeyAt(index);
    const size_t node = nodes_.size();
    nodes_.push_back({frame.node, index, record.is_folder, AppendText(record)});
    if (!record.is_folder) {
      leaves.push_back({nodes_.back().text, node});
      continue;
    }
    if (!expanded.insert(record.id).second) continue;
    const auto sub = children.find(record.id);
    if (sub != children.end()) stack.push_back({&sub->second, 0, node});
  }

  // A name met again keeps its first node: order the leaves by name, keeping tree order among
  // equal names, and take the first of every run.
  std::vector<size_t> order(leaves.size());
  std::iota(order.begin(), order.end(), size_t{0});
  std::stable_sort(order.begin(), order.end(), [&](size_t a, size_t b) { return leaves[a].name < leaves[b].name; });
  std::vector<bool> kept(leaves.size(), false);
  for (size_t k = 0; k < order.size(); ++k) {
    kept[order[k]] = k == 0 || leaves[order[k]].name != leaves[order[k - 1]].name;
  }
  std::vector<size_t> position(leaves.size(), 0);
  for (size_t i = 0; i < leaves.size(); ++i) {
    if (!kept[i]) continue;
    position[i] = candidates_.size();
    candidates_.push_back(leaves[i]);
  }
  candidates_by_name_.reserve(candidates_.size());
  for (size_t i : order) {
    if (kept[i]) candidates_by_name_.push_back(position[i]);
  }
}

std::optional<size_t> IndicatorTree::FindCandidate(std::u16string_view name) const {
  const auto it = std::lower_bound(candidates_by_name_.begin(), candidates_by_name_.end(), name,
                                   [&](size_t c, std::u16string_view key) { return candidates_[c].name < key; });
  if (it == candidates_by_name_.end() || candidates_[*it].name != name) return std::nullopt;
  return candidates_[*it].node;
}

std::optional<RecordRef> IndicatorTree::Record(size_t node) const {
  if (node >= nodes_.size()) return std::nullopt;
  return RecordRef{file_, nodes_[node].record};
}

}  // namespace orra
