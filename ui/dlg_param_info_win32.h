#pragma once
// CDlgParamInfo: the navigator's parameter panel, a child dialog from template 1060 whose own
// control is the reference button (5208) showing bitmap 1064. The rows of the selected
// indicator's parameters are ParameterRowsView's controls inside this window: the panel hands
// them its scrolling, its background clicks and the reference button's click, and lets them go
// before its window does.
//
// The user-interface thread only, like its navigator.

#include <windows.h>

#include <optional>
#include <vector>

#include "ui/cell_reference_probe.h"
#include "ui/dialog_host_win32.h"
#include "ui/parameter_panel.h"
#include "ui/parameter_rows_view_win32.h"

namespace orra {

class CDlgParamInfo final : public DialogHost {
 public:
  // `excel` (which must outlive the panel) gives the reference button the active cell.
  explicit CDlgParamInfo(CellReferenceProbe& excel) : excel_(excel) {}
  ~CDlgParamInfo() override;

  // Made hidden as a child of `navigator`, which places and shows it.
  bool Create(HWND navigator);

  // Makes the controls of `panel`'s rows in place of the ones shown before.
  void ShowRows(const ParameterPanel& panel);
  // The rows' readings for BuildFormula; none shown without a window.
  std::vector<RowReading> ReadRows() const;

 private:
  bool OnInitDialog() override;
  bool OnCommand(uint16_t id, uint16_t notification) override;
  std::optional<INT_PTR> OnMessage(UINT message, WPARAM wparam, LPARAM lparam) override;

  CellReferenceProbe& excel_;
  // The reference button's picture, from the module's resources; the button does not own it.
  HBITMAP reference_picture_ = nullptr;
  // Made with the window and reset at its WM_DESTROY, while the rows' controls still exist.
  std::optional<ParameterRowsView> rows_;
};

}  // namespace orra
