#pragma once
// CDlgInsertStock: the insert-code dialog, "插入代码", a modeless dialog from template 1065 owned
// by Excel's main window. Made once, then hidden by OK, Cancel and Esc and shown again by later
// requests, so its contents survive. The category tree, the two code lists and their moves are
// the insert-code model's, which comes later over these windows.
//
// The user-interface thread only: that thread's message loop runs the dialog.

#include <windows.h>

#include <cstdint>

#include "ui/dialog_host_win32.h"

namespace orra {

class CDlgInsertStock final : public DialogHost {
 public:
  CDlgInsertStock() = default;

  // Makes the hidden dialog over `excel_window`; false when it cannot be made.
  bool Create(HWND excel_window);
  // Makes the dialog the active window and shows it.
  void ShowAgain();

 private:
  bool OnInitDialog() override;
  bool OnCommand(uint16_t id, uint16_t notification) override;
};

}  // namespace orra
