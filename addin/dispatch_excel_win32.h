#pragma once
// DispatchExcel: the ExcelObjectModel port over Excel's Application object, by late binding:
// each member is looked up by name (GetIDsOfNames) and called through IDispatch::Invoke with
// the flags Excel's object model gives it, arguments in reverse order as Invoke expects them,
// property puts with the one named argument DISPID_PROPERTYPUT. Nothing depends on Excel's
// type library, so any Excel version (and the stand-in Excel) serves.
//
// Worksheets are keyed by the qualifier of their external address, "'[Book1.xlsx]Sheet1'" as
// Excel writes it: the same worksheet always gives the same key, and the key names it again
// through Application.Range.
//
// Excel's main thread only, the thread that received the Application object. Every failed call
// leaves Excel's description (or the HRESULT) for LastError; no call throws.

#include <windows.h>
#include <oaidl.h>

#include <string>

#include "request/excel_object_model.h"

namespace orra {

class DispatchExcel final : public ExcelObjectModel {
 public:
  // Holds a reference of its own to `application` (released by the destructor); null gives an
  // object whose every call fails.
  explicit DispatchExcel(IDispatch* application);
  ~DispatchExcel() override;
  DispatchExcel(const DispatchExcel&) = delete;
  DispatchExcel& operator=(const DispatchExcel&) = delete;

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

 private:
  IDispatch* const application_;  // one reference, ours
  std::u16string last_error_;
};

}  // namespace orra
