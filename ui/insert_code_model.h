#pragma once
// InsertCodeModel: the insert-code dialog without its window. It keeps the store's snapshots it
// was made from (the self blocks and the market data), the tree built from them, the candidate
// list and the selected list (two-column report lists: code, name), and the fill direction. A
// double-click on a tree node fills the candidates, the arrow buttons move rows between the
// lists, and OK turns the selected codes into the table the array writer puts on the sheet.
//
// The Win32 dialog forwards its commands here and then shows the lists' rows. One thread: the
// user-interface thread. The self blocks are shared with the store; listing a block records in
// each of its stocks which security the code resolved to (atomically, see ResolvedSecurity).

#include <cstddef>
#include <memory>
#include <optional>
#include <string_view>

#include "request/sheet_table.h"
#include "store/block_data.h"
#include "store/self_block_list.h"
#include "ui/insert_code_tree.h"
#include "ui/report_list.h"

namespace orra {

enum class FillDirection {
  kDownTheColumn = 0,
  kAlongTheRow = 1,
};

class InsertCodeModel {
 public:
  static constexpr size_t kCodeColumn = 0;
  static constexpr size_t kNameColumn = 1;
  static constexpr std::u16string_view kCodeHeading = u"证券代码";
  static constexpr std::u16string_view kNameHeading = u"证券简称";

  // Either snapshot may be null (not loaded). New cells start in `colours`.
  InsertCodeModel(std::shared_ptr<CSelfBlockList> self_blocks, std::shared_ptr<const CBlockData> market,
                  CellColours colours);

  const InsertCodeTree& tree() const { return tree_; }
  const ReportList& candidates() const { return candidates_; }
  const ReportList& selected() const { return selected_; }
  // The lists' own interactions (row selection, heading clicks) go straight to them.
  ReportList& candidates() { return candidates_; }
  ReportList& selected() { return selected_; }

  // A double-click on tree node `node` (none when no item is selected): empties the candidates
  // and lists the node's block or category in them.
  void FillCandidates(std::optional<size_t> node);

  // ">>": every candidate, in order. ">": the selected candidates. A candidate goes to the end
  // of the selected list unless a selected code already begins with its code.
  void AddAllCandidates();
  void AddSelectedCandidates();
  // "<": the selected rows of the selected list. "<<": all of them.
  void RemoveSelected();
  void RemoveAll();

  void SetFillDirection(FillDirection direction) { direction_ = direction; }
  FillDirection fill_direction() const { return direction_; }

  // OK: the selected codes as texts, in list order, one column down or one row along as the
  // direction says; an empty table when nothing is selected.
  SheetTable CodesTable() const;

 private:
  void ListSelfBlock(const CodeTreeNode& node);
  void ListCategory(const CategoryEntry& category);
  // False when the list refused the row; listing stops there.
  static bool AppendRow(ReportList& list, const SecurityEntry& security);
  static bool AppendRow(ReportList& list, std::u16string_view code, std::u16string_view name);
  class SelectedCodes;
  void AddCandidate(size_t row, SelectedCodes& already);

  std::shared_ptr<CSelfBlockList> self_blocks_;
  std::shared_ptr<const CBlockData> market_;
  InsertCodeTree tree_;
  ReportList candidates_;
  ReportList selected_;
  FillDirection direction_ = FillDirection::kDownTheColumn;
};

}  // namespace orra
