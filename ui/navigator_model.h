#pragma once
// NavigatorModel: the indicator navigator's state and decisions behind its dialog: the tree
// and its selection, the first-selection flag, the search text, the formula shown, and what
// OK does. The Win32 dialog forwards its events here (selection change, the search box's
// choice, the 250 ms timer, OK) and only moves what the model answers into its controls.
//
// Lives on the user-interface thread; not shared. The tree is built once and keeps the
// indicator file it came from, so nodes and the panel's records stay valid across reloads.

#include <cstddef>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <variant>

#include "request/sheet_table.h"
#include "store/orra_data.h"
#include "ui/cell_reference_probe.h"
#include "ui/indicator_tree.h"
#include "ui/parameter_panel.h"

namespace orra {

enum class NavigatorRefusal {
  kNoIndicator,      // nothing selected, or a folder
  kParametersWrong,  // the formula is too short or has an empty quoted argument
};

// The message OK shows when it refuses.
std::u16string_view RefusalMessage(NavigatorRefusal refusal);

class NavigatorModel {
 public:
  static constexpr std::u16string_view kSearchHint = u"在此输入指标名称进行搜索";
  // Shorter formulas than this cannot hold a code and an indicator.
  static constexpr size_t kMinFormulaChars = 9;

  // Builds the tree from the store's indicator file as loaded now; parameters are looked up in
  // `store` when an indicator is selected. The store must outlive the model.
  explicit NavigatorModel(const COrraData& store);
  NavigatorModel(const NavigatorModel&) = delete;
  NavigatorModel& operator=(const NavigatorModel&) = delete;

  const IndicatorTree& tree() const { return tree_; }
  ParameterPanel& panel() { return panel_; }
  const ParameterPanel& panel() const { return panel_; }

  // The tree's selection changed to `node` (none: no selection). Passes its record and the
  // first-selection flag to the panel, then clears the flag. True when the panel's rows
  // changed, for the view to rebuild its controls.
  bool Select(std::optional<size_t> node);
  std::optional<size_t> selected() const { return selected_; }
  bool first_selection() const { return first_selection_; }

  // The search box reported a choice, showing `box_text`: that becomes the search text. The
  // node of the indicator of exactly that name, for the view to select; none selects nothing.
  std::optional<size_t> ChooseSearchText(std::u16string_view box_text);
  const std::u16string& search_text() const { return search_text_; }

  // The timer's tick: builds the formula from the rows' readings. True when it differs from
  // the formula shown: the view then shows formula() and puts search_text() back into the
  // search box.
  bool Tick(std::span<const RowReading> readings, CellReferenceProbe& excel);
  const std::u16string& formula() const { return formula_; }

  // OK: the 1 x 1 table holding the formula as text, for the array writer; or why not.
  std::variant<SheetTable, NavigatorRefusal> Ok() const;

  // The search box draws its text grey while it shows the hint (in any letter case).
  static bool ShowsHint(std::u16string_view box_text);

 private:
  IndicatorTree tree_;
  ParameterPanel panel_;
  std::optional<size_t> selected_;
  bool first_selection_ = true;
  std::u16string search_text_{kSearchHint};
  std::u16string formula_;
};

}  // namespace orra
