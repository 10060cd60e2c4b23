#pragma once
// GridObjectModel: Excel's object model as an in-memory grid of workbooks, worksheets and
// cells, for tests of the refresh commands and of cell formatting, and for the `orra sheet`
// command, which runs a sheet of formulas without Excel.
//
// Addresses are read as Excel reads the external addresses worksheet functions give:
//   '[Book1.xlsx]Sheet1'!B2   '[Book1.xlsx]Sheet1'!$B$2:$C$5   [Book1]Sheet1!A1
//   Sheet1!A1 (a sheet of the active sheet's workbook)   B2 (the active sheet)
// Workbook and sheet names compare without regard to ASCII case; inside quotes a doubled
// apostrophe stands for one. Columns run A..XFD, rows 1..1048576.
//
// The active cell is the first cell of the selection, as when a user selects a range.
//
// Besides the port, the grid records what refresh commands do (EnableCalculation toggles,
// Dirty and CalculateFull calls) and what the array writer does (ScreenUpdating changes, the
// blocks written), keeps the NumberFormatLocal and HorizontalAlignment set on each cell, can
// lose a sheet (its addresses stop resolving, as after a deletion), can make any call of the
// port fail with a given error text, and has an edit mode in which every call of the port
// fails, as Excel refuses automation while a cell is being edited.
//
// Like Excel's object model it is used from one thread; it has no lock.

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <variant>
#include <vector>

#include "request/excel_object_model.h"

namespace orra {

// A cell's value: empty, a number, a text or a logical, as Value2 writes them.
using GridValue = SheetValue;

struct GridCell {
  GridValue value;
  std::optional<std::u16string> number_format;  // the last NumberFormatLocal set, if any
  std::optional<int32_t> horizontal_alignment;  // the last HorizontalAlignment set, if any
};

// A cell of a sheet listing: its A1 reference without $ signs ("B2") and its content.
struct GridCellEntry {
  std::u16string reference;
  GridCell cell;
};

struct EnableCalculationChange {
  SheetKey sheet;
  bool enabled;
};

// The calls of the port, for failure injection.
enum class GridCall : uint8_t {
  kActiveSheet,
  kSheetOf,
  kSelectionIntersects,
  kSetEnableCalculation,
  kDirtySelection,
  kCalculateFull,
  kSetNumberFormatLocal,
  kSetHorizontalAlignment,
  kSetScreenUpdating,
  kWriteAtActiveCell,
  kSetActiveBlockNumberFormatLocal,
};

class GridObjectModel final : public ExcelObjectModel {
 public:
  // The most cells one write may touch; a larger range fails, as a grid of every cell of a
  // whole sheet would not fit in memory.
  static constexpr uint64_t kMaxCellsPerWrite = 1u << 20;

  GridObjectModel() = default;
  GridObjectModel(const GridObjectModel&) = delete;
  GridObjectModel& operator=(const GridObjectModel&) = delete;

  // --- Building the grid ---

  // Adds a worksheet (or finds the one of that name) and answers its key, "[workbook]sheet"
  // with the names as first added. The first sheet added becomes the active sheet.
  SheetKey AddSheet(std::u16string_view workbook, std::u16string_view sheet);
  // Removes a worksheet with its cells: its addresses no longer resolve. Deleting the active
  // sheet leaves no sheet active; deleting the selection's sheet leaves nothing selected.
  bool DeleteSheet(const SheetKey& sheet);
  // Makes a sheet the active one; activating another sheet leaves nothing selected.
  bool Activate(const SheetKey& sheet);
  // Selects a range and activates its sheet; false when the address does not resolve.
  bool Select(std::u16string_view address);
  // Nothing selected (as when a chart or a shape is).
  void ClearSelection();
  // Puts a value into every cell of the range; false when the address does not resolve or the
  // range is larger than kMaxCellsPerWrite.
  bool SetValue(std::u16string_view address, GridValue value);
  // Makes every later `call` fail with `error_text` (and do nothing) until ClearFailure.
  void FailCall(GridCall call, std::u16string error_text);
  void ClearFailure(GridCall call);
  // While on, every call of the port fails and changes nothing.
  void SetEditMode(bool editing) { editing_ = editing; }

  // --- Inspecting the grid ---

  // The cell at a one-cell address (empty when nothing was put there); nullopt when the address
  // does not resolve or names more than one cell.
  std::optional<GridCell> Cell(std::u16string_view address) const;
  // Every cell of a sheet that holds a value or a format, by row, then by column.
  std::vector<GridCellEntry> CellsOf(const SheetKey& sheet) const;
  std::vector<SheetKey> Sheets() const;
  std::optional<bool> EnableCalculation(const SheetKey& sheet) const;
  // Every successful SetEnableCalculation, in order.
  const std::vector<EnableCalculationChange>& EnableCalculationChanges() const { return enable_calculation_changes_; }
  // The selection's external address at each successful DirtySelection, in order.
  const std::vector<std::u16string>& DirtiedRanges() const { return dirtied_ranges_; }
  int CalculateFullCount() const { return calculate_full_count_; }
  bool ScreenUpdating() const { return screen_updating_; }
  // Every successful SetScreenUpdating, in order.
  const std::vector<bool>& ScreenUpdatingChanges() const { return screen_updating_changes_; }
  // The external address of the block of each successful WriteAtActiveCell, in order.
  const std::vector<std::u16string>& WrittenBlocks() const { return written_blocks_; }

  // --- ExcelObjectModel ---

  std::optional<SheetKey> ActiveSheet() override;
  std::optional<SheetKey> SheetOf(std::u16string_view address) override;
  std::optional<bool> SelectionIntersects(std::u16string_view address) override;
  bool SetEnableCalculation(const SheetKey& sheet, bool enabled) override;
  bool DirtySelection() override;
  bool CalculateFull() override;
  bool SetNumberFormatLocal(std::u16string_view address, std::u16string_view format) override;
  bool SetHorizontalAlignment(std::u16string_view address, int32_t alignment) override;
  bool SetScreenUpdating(bool enabled) override;
  bool WriteAtActiveCell(const SheetTable& table) override;
  bool SetActiveBlockNumberFormatLocal(size_t rows, size_t columns, std::u16string_view format) override;
  std::u16string LastError() const override { return last_error_; }

  // A rectangle of cells, 1-based, first <= last.
  struct Area {
    int32_t first_row, first_column, last_row, last_column;
  };

 private:
  struct Sheet {
    std::u16string workbook;
    std::u16string name;
    bool enable_calculation = true;
    std::map<std::pair<int32_t, int32_t>, GridCell> cells;  // (row, column)
  };
  struct ResolvedRange {
    SheetKey sheet;
    Area area;
  };

  // The range an address names, or nullopt with last_error_ set.
  std::optional<ResolvedRange> Resolve(std::u16string_view address);
  std::optional<ResolvedRange> ResolveQuietly(std::u16string_view address, std::u16string* error) const;
  // The active cell resized to rows × columns, or nullopt with last_error_ set.
  std::optional<ResolvedRange> ActiveBlock(size_t rows, size_t columns);
  const Sheet* FindSheet(std::u16string_view workbook, std::u16string_view name) const;
  // True when `call` is made to fail now; sets last_error_.
  bool Failing(GridCall call);
  bool Fail(std::u16string error);
  // Applies `change` to every cell of the range, within the write bound.
  template <typename Change>
  bool ChangeCells(std::u16string_view address, Change change);
  template <typename Change>
  bool ChangeCells(const ResolvedRange& range, Change change);

  std::map<SheetKey, Sheet> sheets_;
  std::optional<SheetKey> active_sheet_;
  std::optional<ResolvedRange> selection_;
  std::map<GridCall, std::u16string> failures_;
  std::u16string last_error_;
  std::vector<EnableCalculationChange> enable_calculation_changes_;
  std::vector<std::u16string> dirtied_ranges_;
  int calculate_full_count_ = 0;
  bool editing_ = false;
  bool screen_updating_ = true;
  std::vector<bool> screen_updating_changes_;
  std::vector<std::u16string> written_blocks_;
};

}  // namespace orra
