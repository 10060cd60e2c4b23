#include "ui/dlg_report_nav_win32.h"

#include "ui/dialog_resources.h"

namespace orra {
namespace {

// The panel's edge lies this far left of the formula box's client area, and is this much wider.
constexpr LONG kPanelLeftOffset = 2;
constexpr LONG kPanelExtraWidth = 2;
// The panel is this many formula boxes tall.
constexpr LONG kPanelHeightInFormulaBoxes = 3;

}  // namespace

bool CDlgReportNav::Create(HWND excel_window) { return DialogHost::Create(kReportNavTemplate, excel_window); }

void CDlgReportNav::ShowAgain() {
  SetTimer(window(), kRefreshTimerId, kRefreshPeriodMs, nullptr);
  ShowWindow(window(), SW_SHOW);
  SetActiveWindow(window());
}

void CDlgReportNav::Hide() {
  KillTimer(window(), kRefreshTimerId);
  ShowWindow(window(), SW_HIDE);
}

bool CDlgReportNav::OnInitDialog() {
  // A panel that cannot be made leaves the navigator without parameters rather than without a
  // window: the tree and the search still work.
  if (panel_.Create(window())) PlacePanel();
  CentreOverParent();
  return true;
}

void CDlgReportNav::PlacePanel() {
  const HWND formula_box = GetDlgItem(window(), kNavigatorFormulaBox);
  const HWND label = GetDlgItem(window(), kNavigatorParameterLabel);
  RECT formula_client = {};
  RECT label_rect = {};
  if (formula_box == nullptr || label == nullptr || !GetClientRect(formula_box, &formula_client) ||
      !GetWindowRect(label, &label_rect)) {
    return;
  }
  // Both into the navigator's client coordinates: the box's client area, the label's window.
  MapWindowPoints(formula_box, window(), reinterpret_cast<POINT*>(&formula_client), 2);
  MapWindowPoints(nullptr, window(), reinterpret_cast<POINT*>(&label_rect), 2);
  const LONG width = formula_client.right - formula_client.left + kPanelExtraWidth;
  const LONG height = (formula_client.bottom - formula_client.top) * kPanelHeightInFormulaBoxes;
  SetWindowPos(panel_.window(), nullptr, formula_client.left - kPanelLeftOffset, label_rect.top, width, height,
               SWP_NOZORDER | SWP_NOACTIVATE | SWP_SHOWWINDOW);
}

bool CDlgReportNav::OnCommand(uint16_t id, uint16_t) {
  if (id != IDOK && id != IDCANCEL) return false;
  Hide();
  return true;
}

}  // namespace orra
