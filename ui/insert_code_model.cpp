#include "ui/insert_code_model.h"

#include <set>
#include <string>
#include <utility>
#include <vector>

#include "common/ascii_text.h"

namespace orra {
namespace {

std::u16string FoldAsciiCase(std::u16string_view text) {
  std::u16string folded(text);
  for (char16_t& unit : folded) unit = UpperAscii(unit);
  return folded;
}

}  // namespace

// The selected list's codes, A-Z folded and sorted. It answers the list's find by beginning of
// text (ReportList::FindPartialText) in logarithmic time: when some selected code begins with a
// candidate's code, the first one not ordered before the candidate does. Moving a category of 100 000 members with ">>" would
// otherwise compare every candidate with every row added before it.
class InsertCodeModel::SelectedCodes {
 public:
  explicit SelectedCodes(const ReportList& selected) {
    for (size_t row = 0; row < selected.GetItemCount(); ++row) codes_.insert(FoldAsciiCase(selected.ItemText(row, kCodeColumn)));
  }

  bool BeginsAny(std::u16string_view code) const {
    const std::u16string folded = FoldAsciiCase(code);
    const auto it = codes_.lower_bound(folded);
    return it != codes_.end() && it->starts_with(folded);
  }
  void Add(std::u16string_view code) { codes_.insert(FoldAsciiCase(code)); }

 private:
  std::set<std::u16string, std::less<>> codes_;
};

InsertCodeModel::InsertCodeModel(std::shared_ptr<CSelfBlockList> self_blocks, std::shared_ptr<const CBlockData> market,
                                 CellColours colours)
    : self_blocks_(std::move(self_blocks)),
      market_(std::move(market)),
      tree_(InsertCodeTree::Build(self_blocks_.get(), market_)),
      candidates_(colours),
      selected_(colours) {
  for (ReportList* list : {&candidates_, &selected_}) {
    list->InsertColumn(kCodeColumn, std::u16string(kCodeHeading));
    list->InsertColumn(kNameColumn, std::u16string(kNameHeading));
  }
}

void InsertCodeModel::FillCandidates(std::optional<size_t> node) {
  if (!node || *node >= tree_.nodes().size()) return;
  candidates_.DeleteItems(kRowAll);
  const CodeTreeNode& item = tree_.nodes()[*node];
  if (item.parent && item.parent == tree_.self_block_root()) {
    ListSelfBlock(item);
  } else if (item.category && market_) {
    ListCategory(*item.category);
  }
}

void InsertCodeModel::ListSelfBlock(const CodeTreeNode& node) {
  // Without market data no code can be resolved; the stocks keep their unknown state for a
  // dialog that has it.
  if (!self_blocks_ || !market_) return;
  const SelfBlock* found = self_blocks_->FindBlockOfFirstGroup(node.text);
  if (found == nullptr) return;
  // The same block, writable: its stocks remember what their codes resolved to.
  SelfBlockGroup& group = self_blocks_->groups().front();
  SelfBlock& block = group.blocks[static_cast<size_t>(found - group.blocks.data())];
  const std::vector<SecurityEntry>& securities = market_->securities();
  for (SelfStock& stock : block.stocks) {
    int64_t resolved = stock.resolved.get();
    if (resolved == ResolvedSecurity::kNotFound) continue;
    if (resolved == ResolvedSecurity::kUnknown) {
      const std::optional<size_t> index = FindSecurityIndex(securities, stock.code);
      resolved = index ? static_cast<int64_t>(*index) : ResolvedSecurity::kNotFound;
      stock.resolved.set(resolved);
      if (!index) continue;
    }
    if (resolved < 0 || static_cast<size_t>(resolved) >= securities.size()) continue;
    if (!AppendRow(candidates_, securities[static_cast<size_t>(resolved)])) return;
  }
}

void InsertCodeModel::ListCategory(const CategoryEntry& category) {
  const std::optional<IndexRange> members = market_->MembersOf(category.code);
  if (!members) return;
  const std::vector<SecurityEntry>& securities = market_->securities();
  for (size_t i = members->first; i <= members->second; ++i) {
    const MemberEntry& member = market_->members()[i];
    if (member.scheme_id != category.scheme_id) continue;
    if (member.security_index < 0 || static_cast<size_t>(member.security_index) >= securities.size()) continue;
    if (!AppendRow(candidates_, securities[static_cast<size_t>(member.security_index)])) return;
  }
}

bool InsertCodeModel::AppendRow(ReportList& list, const SecurityEntry& security) {
  return AppendRow(list, security.WideCode(), security.name);
}

bool InsertCodeModel::AppendRow(ReportList& list, std::u16string_view code, std::u16string_view name) {
  const std::optional<size_t> row = list.InsertItem(list.GetItemCount(), std::u16string(code));
  if (!row) return false;
  list.SetItemText(*row, kNameColumn, std::u16string(name));
  return true;
}

void InsertCodeModel::AddCandidate(size_t row, SelectedCodes& already) {
  const std::u16string_view code = candidates_.ItemText(row, kCodeColumn);
  // A code that begins a selected code counts as already there.
  if (already.BeginsAny(code)) return;
  if (AppendRow(selected_, code, candidates_.ItemText(row, kNameColumn))) already.Add(code);
}

void InsertCodeModel::AddAllCandidates() {
  SelectedCodes already(selected_);
  for (size_t row = 0; row < candidates_.GetItemCount(); ++row) AddCandidate(row, already);
}

void InsertCodeModel::AddSelectedCandidates() {
  SelectedCodes already(selected_);
  for (size_t row = 0; row < candidates_.GetItemCount(); ++row) {
    if (candidates_.GetItemStates(row) & kRowSelected) AddCandidate(row, already);
  }
}

void InsertCodeModel::RemoveSelected() { selected_.DeleteItems(kRowSelected); }

void InsertCodeModel::RemoveAll() { selected_.DeleteItems(kRowAll); }

SheetTable InsertCodeModel::CodesTable() const {
  std::vector<SheetValue> codes;
  const size_t count = selected_.GetItemCount();
  codes.reserve(count);
  for (size_t row = 0; row < count; ++row) codes.emplace_back(std::u16string(selected_.ItemText(row, kCodeColumn)));
  std::optional<SheetTable> table =
      direction_ == FillDirection::kAlongTheRow ? SheetTable::Row(std::move(codes)) : SheetTable::Column(std::move(codes));
  // More codes than a worksheet's row or column holds cannot be written at all.
  return table ? std::move(*table) : SheetTable();
}

}  // namespace orra
