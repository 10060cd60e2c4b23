#pragma once
// Port: the parts of Excel's object model the add-in drives (late-bound IDispatch on Windows;
// a grid model in tests and in the `orra sheet` command). Called on Excel's main thread only.
// While Excel refuses automation (a cell is being edited, a modal dialog is up) every call
// fails.
//
// Cells are named by external addresses as worksheet functions give them, for example
// '[Book1.xlsx]Sheet1'!B2. Sheets are named by a key the model chooses; two keys are equal
// exactly when they name the same worksheet object. Every call answers whether Excel did it;
// on failure LastError() tells what Excel said (for the debugger output).

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "request/sheet_table.h"

namespace orra {

using SheetKey = std::u16string;

// HorizontalAlignment constants.
constexpr int32_t kAlignLeft = -4131;
constexpr int32_t kAlignCenter = -4108;
constexpr int32_t kAlignRight = -4152;

class ExcelObjectModel {
 public:
  virtual ~ExcelObjectModel() = default;

  // Application.ActiveSheet as a worksheet.
  virtual std::optional<SheetKey> ActiveSheet() = 0;
  // Application.Range(address).Worksheet; nullopt when Excel cannot resolve the address.
  virtual std::optional<SheetKey> SheetOf(std::u16string_view address) = 0;
  // Application.Intersect(Selection, Range(address)) is not empty; nullopt when Excel cannot
  // resolve the address or has no range selected.
  virtual std::optional<bool> SelectionIntersects(std::u16string_view address) = 0;

  // Worksheet.EnableCalculation = enabled.
  virtual bool SetEnableCalculation(const SheetKey& sheet, bool enabled) = 0;
  // Selection.Dirty().
  virtual bool DirtySelection() = 0;
  // Application.CalculateFull().
  virtual bool CalculateFull() = 0;

  // Range(address).NumberFormatLocal = format.
  virtual bool SetNumberFormatLocal(std::u16string_view address, std::u16string_view format) = 0;
  // Range(address).HorizontalAlignment = alignment.
  virtual bool SetHorizontalAlignment(std::u16string_view address, int32_t alignment) = 0;

  // Application.ScreenUpdating = enabled.
  virtual bool SetScreenUpdating(bool enabled) = 0;
  // Application.ActiveCell.Resize(rows, columns).Value2 = table, in one assignment, the
  // table's rows and columns giving the block's. False for an empty table.
  virtual bool WriteAtActiveCell(const SheetTable& table) = 0;
  // Application.ActiveCell.Resize(rows, columns).NumberFormatLocal = format.
  virtual bool SetActiveBlockNumberFormatLocal(size_t rows, size_t columns, std::u16string_view format) = 0;

  virtual std::u16string LastError() const = 0;
};

}  // namespace orra
