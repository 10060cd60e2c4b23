#pragma once
// CDlgReportNav: the indicator navigator, "函数插入", a modeless dialog from template 1059 owned
// by Excel's main window, with its parameter panel (CDlgParamInfo, template 1060) placed under
// the "参数列表：" label. Made once, then hidden by OK, Cancel and Esc and shown again by later
// requests, so its contents survive. Its 250 ms timer (4353) runs while it is shown; the
// indicator tree, the search box and the formula it refreshes are the navigator model's, which
// comes later over these windows.
//
// The user-interface thread only: that thread's message loop runs the dialog.

#include <windows.h>

#include <cstdint>

#include "ui/dialog_host_win32.h"
#include "ui/dlg_param_info_win32.h"
#include "ui/excel_cell_references.h"

namespace orra {

class CDlgReportNav final : public DialogHost {
 public:
  // The formula box's refresh timer.
  static constexpr UINT_PTR kRefreshTimerId = 4353;
  static constexpr UINT kRefreshPeriodMs = 250;

  // `excel` (which must outlive the dialog) answers the panel's questions about cells.
  explicit CDlgReportNav(ExcelCellReferences& excel) : excel_(excel) {}

  // Makes the hidden dialog over `excel_window`; false when it cannot be made.
  bool Create(HWND excel_window);
  // Starts the timer, makes the dialog the active window and shows it.
  void ShowAgain();

 private:
  bool OnInitDialog() override;
  bool OnCommand(uint16_t id, uint16_t notification) override;
  void Hide();
  // The panel's rectangle in the navigator's client area, from the formula box and the label.
  void PlacePanel();

  ExcelCellReferences& excel_;
  CDlgParamInfo panel_;
};

}  // namespace orra
