#pragma once
// ParameterPanel: the model behind the navigator's parameter panel. It decides which rows the
// panel shows for an indicator (row 0 the security code, then one row per parameter of the
// indicator that the store knows), where each row's controls go and what they start with, and
// builds the "=XDP(...)" formula from what the view reads out of the rows' controls. The view
// creates and destroys the controls as rows() says and never decides what a formula holds.
//
// Lives on the user-interface thread with the navigator; not shared.

#include <cstddef>
#include <optional>
#include <span>
#include <string>
#include <variant>
#include <vector>

#include "store/choice_list.h"
#include "store/orra_data.h"
#include "ui/calendar_date.h"
#include "ui/cell_reference_probe.h"

namespace orra {

enum class RowInput { kEdit, kDate, kChoice };

// A control's rectangle in pixels of the panel's client area, before scrolling.
struct PanelRect {
  int left = 0;
  int top = 0;
  int right = 0;
  int bottom = 0;
  friend bool operator==(const PanelRect&, const PanelRect&) = default;
};

struct PanelRow {
  size_t number = 0;                   // 0 the code row, 1.. a parameter's row
  std::optional<RecordRef> parameter;  // the parameter record; none for the code row
  RowInput input = RowInput::kEdit;
  std::u16string label;
  std::u16string initial_text;               // the code edit's text; other edits start empty
  ChoiceList choices;                        // a choice box's items in list order, item 0 chosen
  std::optional<CalendarDate> initial_date;  // a date picker's date; none leaves it at today
  int input_id = 0;
  int label_id = 0;
  PanelRect label_rect;
  PanelRect input_rect;  // a choice box's reaches down over its drop-down list
};

// The item a choice box has chosen; none when it shows no item.
struct ChosenItem {
  std::optional<size_t> index;
};

// What the view read from a row's control: an edit's text, a choice box's chosen item, a date
// picker's date.
using RowReading = std::variant<std::u16string, ChosenItem, CalendarDate>;

class ParameterPanel {
 public:
  static constexpr size_t kMaxRows = 32;
  // The parameter list is copied into a buffer of this many bytes, terminator included.
  static constexpr size_t kParameterListBytes = 100000;
  static constexpr size_t kMaxIndicatorNameChars = 63;
  static constexpr int kInputIdBase = 4112;
  static constexpr int kLabelIdBase = 8208;
  static constexpr int kScrollUnitPixels = 10;
  static constexpr int kReferenceButtonId = 5208;

  // Parameters are looked up in `store` at each selection; the store must outlive the panel.
  explicit ParameterPanel(const COrraData& store) : store_(store) {}
  ParameterPanel(const ParameterPanel&) = delete;
  ParameterPanel& operator=(const ParameterPanel&) = delete;

  // Shows the rows of `descriptor` (a record of the indicator file; none or a folder leaves the
  // panel empty). False, with nothing changed, when that record is the one already shown;
  // otherwise every earlier row is gone and rows() holds the new ones. `first_selection`
  // starts date pickers on the parameter's default value instead of the last date read.
  bool Show(std::optional<RecordRef> descriptor, bool first_selection);

  const std::optional<RecordRef>& descriptor() const { return descriptor_; }
  // The rows made, in order; only these take space.
  const std::vector<PanelRow>& rows() const { return rows_; }
  // The reference button is shown with the code row, right of its edit.
  bool reference_button_visible() const { return !rows_.empty(); }
  static PanelRect ReferenceButtonRect();
  // The vertical scroll range's end in units of kScrollUnitPixels: the bottom of the last row.
  int ScrollRangeUnits() const;

  // The formula of the current descriptor, `readings[i]` being what the view read from the
  // control of rows()[i]; a row without a reading of its kind gives no argument. None when no
  // descriptor is current. Asks `excel` whether the code is a cell reference; the code used
  // becomes the remembered code, and every date read the last date read.
  std::optional<std::u16string> BuildFormula(std::span<const RowReading> readings, CellReferenceProbe& excel);

  // The text the reference button puts into the code edit: the active cell's external address
  // without "$"; none (the edit stays as it is) when Excel refuses.
  static std::optional<std::u16string> ReferenceText(CellReferenceProbe& excel);

  const std::u16string& remembered_code() const { return remembered_code_; }
  const std::optional<CalendarDate>& last_date_read() const { return last_date_read_; }

 private:
  std::optional<PanelRow> MakeParameterRow(size_t number, std::string_view token, bool first_selection) const;

  const COrraData& store_;
  std::optional<RecordRef> descriptor_;
  std::vector<PanelRow> rows_;
  std::u16string remembered_code_;
  std::optional<CalendarDate> last_date_read_;
};

}  // namespace orra
