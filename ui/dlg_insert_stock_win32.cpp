#include "ui/dlg_insert_stock_win32.h"

#include "ui/dialog_resources.h"

namespace orra {

bool CDlgInsertStock::Create(HWND excel_window) { return DialogHost::Create(kInsertStockTemplate, excel_window); }

void CDlgInsertStock::ShowAgain() {
  ShowWindow(window(), SW_SHOW);
  SetActiveWindow(window());
}

bool CDlgInsertStock::OnInitDialog() {
  // Codes fill down the active cell's column until the user picks the row.
  CheckRadioButton(window(), kInsertStockFillDown, kInsertStockFillRight, kInsertStockFillDown);
  CentreOverParent();
  return true;
}

bool CDlgInsertStock::OnCommand(uint16_t id, uint16_t) {
  if (id != IDOK && id != IDCANCEL) return false;
  ShowWindow(window(), SW_HIDE);
  return true;
}

}  // namespace orra
