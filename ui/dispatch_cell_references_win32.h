#pragma once
// DispatchCellReferences: the ExcelCellReferences port over Excel's Application object, by late
// binding (members looked up by name, called through IDispatch::Invoke), so any Excel version
// and the stand-in Excel serve.
//
// The thread whose apartment `application` belongs to: on the user-interface thread, the proxy
// a DispatchHandoff gave it. No call throws.

#include <windows.h>
#include <oaidl.h>

#include "addin/com_ptr_win32.h"
#include "ui/excel_cell_references.h"

namespace orra {

class DispatchCellReferences final : public ExcelCellReferences {
 public:
  // Null gives an object whose every question fails.
  explicit DispatchCellReferences(ComPtr<IDispatch> application) : application_(std::move(application)) {}

  std::optional<std::u16string> ActiveCellAddress() override;
  bool IsRange(std::u16string_view text) override;

 private:
  ComPtr<IDispatch> application_;
};

}  // namespace orra
