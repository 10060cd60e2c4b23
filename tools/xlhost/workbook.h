#pragma once
// The stand-in workbook as Excel's object model sees it: the one sheet's cells with what the
// C API does not know of (each cell's NumberFormatLocal and HorizontalAlignment), the active
// cell and the selection, the sheet's EnableCalculation switch and Application.ScreenUpdating.
// Writes through Range.Value2 and the recalculation calls (CalculateFull, Range.Dirty) evaluate
// formulas through the evaluator the scenario runner hands in, so a formula written by the
// add-in is calculated at once, as Excel in automatic mode calculates a cell typed into; a sheet
// whose calculation is switched off is never evaluated.
//
// Excel's main thread only.

#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "tools/xlhost/cell_range.h"
#include "tools/xlhost/sheet.h"

namespace orra::xlhost {

// XlHAlign.
inline constexpr int32_t kAlignGeneral = 1;
inline constexpr int32_t kAlignLeft = -4131;
inline constexpr int32_t kAlignCenter = -4108;
inline constexpr int32_t kAlignRight = -4152;
inline constexpr int32_t kAlignFill = 5;
inline constexpr int32_t kAlignCenterAcrossSelection = 7;
inline constexpr int32_t kAlignJustify = -4130;
inline constexpr int32_t kAlignDistributed = -4117;

// The number format of a cell nobody formatted.
inline constexpr std::u16string_view kGeneralFormat = u"General";

bool IsHorizontalAlignment(int32_t value);

class Workbook {
 public:
  // One read or write touches at most this many cells; a whole column of a sheet would not fit.
  static constexpr int64_t kMaxCellsPerCall = int64_t{1} << 20;

  using Evaluator = std::function<void(CellAddress)>;

  // `sheet` must outlive this object.
  Workbook(Sheet& sheet, Evaluator evaluate);

  const Sheet& sheet() const { return sheet_; }
  // Whether a reference's workbook and sheet (either may be absent) name this sheet; names
  // compare without regard to ASCII case, as Excel's do.
  bool Names(const RangeReference& reference) const;

  CellAddress active_cell() const { return active_cell_; }
  const CellRange& selection() const { return selection_; }
  // Selecting makes the range's top left cell the active one.
  void Select(const CellRange& range);
  // Activating a cell outside the selection selects that cell alone.
  void Activate(CellAddress cell);

  // The values by rows, then columns; none over kMaxCellsPerCall cells.
  std::optional<std::vector<std::vector<GridValue>>> Values(const CellRange& range) const;
  // Writes one cell as a user would type it: a text starting with "=" becomes a formula (false,
  // with `error`, when it is not one this host evaluates), anything else a constant; empty
  // (monostate) clears the cell. A formula is evaluated when the sheet calculates.
  bool Write(CellAddress cell, const GridValue& value, std::string& error);

  // The format shared by every cell of the range; none when the cells differ.
  std::optional<std::u16string> NumberFormat(const CellRange& range) const;
  bool SetNumberFormat(const CellRange& range, const std::u16string& format);
  std::optional<int32_t> HorizontalAlignment(const CellRange& range) const;
  // False for a value that is no XlHAlign, or a range over kMaxCellsPerCall cells.
  bool SetHorizontalAlignment(const CellRange& range, int32_t alignment);

  bool calculation_enabled() const { return calculation_enabled_; }
  // Switching calculation back on recalculates the sheet.
  void SetCalculationEnabled(bool enabled);
  // Every formula of the sheet, row by row.
  void CalculateFull();
  // The range's formulas.
  void Dirty(const CellRange& range);

  bool screen_updating() const { return screen_updating_; }
  void set_screen_updating(bool on) { screen_updating_ = on; }

 private:
  struct Format {
    std::u16string number_format{kGeneralFormat};
    int32_t horizontal_alignment = kAlignGeneral;
  };
  Format FormatAt(CellAddress cell) const;
  template <typename Change>
  bool ChangeFormats(const CellRange& range, Change change);
  template <typename Read>
  auto Shared(const CellRange& range, Read read) const;
  void EvaluateFormulasIn(const std::optional<CellRange>& range);

  Sheet& sheet_;
  Evaluator evaluate_;
  std::map<CellAddress, Format> formats_;
  CellAddress active_cell_{};
  CellRange selection_{};
  bool calculation_enabled_ = true;
  bool screen_updating_ = true;
};

}  // namespace orra::xlhost
