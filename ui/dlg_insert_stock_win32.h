#pragma once
// CDlgInsertStock: the insert-code dialog, "插入代码", a modeless dialog from template 1065 owned
// by Excel's main window. Made once, then hidden by OK, Cancel and Esc and shown again by later
// requests, so its lists and fill direction survive from one showing to the next.
//
// The insert-code model (insert_code_model.h) is the one source of truth: it is built at
// WM_INITDIALOG from the store's snapshots of that moment and keeps them, so a later load of the
// store changes nothing here. The tree view's items carry their node's index; the two report
// list controls only show the model's lists. Before a move the rows the user selected in a view
// are read into the model, and after it the view is rewritten from the model. A heading click
// sorts a view by itself; its new order is then taken back into the model, so that both agree
// on which row is which.
//
// The user-interface thread only: that thread's message loop runs the dialog. The store must
// stay alive until the dialog has been made; after that it is not touched again.

#include <windows.h>

#include <commctrl.h>

#include <cstdint>
#include <optional>

#include "store/orra_data.h"
#include "ui/dialog_host_win32.h"
#include "ui/insert_code_model.h"
#include "ui/report_ctrl_win32.h"

namespace orra {

class CDlgInsertStock final : public DialogHost {
 public:
  // `store` may be null: the tree is then empty.
  explicit CDlgInsertStock(const COrraData* store) : store_(store) {}
  ~CDlgInsertStock() override;

  // Makes the hidden dialog over `excel_window`; false when it cannot be made.
  bool Create(HWND excel_window);
  // Makes the dialog the active window and shows it.
  void ShowAgain();

 private:
  bool OnInitDialog() override;
  bool OnCommand(uint16_t id, uint16_t notification) override;

  // The dialog's WM_NOTIFY arrives here ahead of the dialog procedure.
  static LRESULT CALLBACK NotifyProcedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam, UINT_PTR id,
                                          DWORD_PTR self);
  void SetUpList(CReportCtrl& view, int id);
  void InsertTreeItems();
  void OnTreeDoubleClick();
  void Accept();
  // The rows the user selected in `view`, into `list`, row by row.
  static void ReadSelection(CReportCtrl& view, ReportList& list);
  // Makes `view` show every row of `list`; stops at the first row the view refuses.
  static void ShowRows(const ReportList& list, CReportCtrl& view);
  // After a view sorted itself: its rows, in its order, become the model's.
  static void TakeOrder(const ReportList& shown, ReportList& list);

  const COrraData* store_;
  std::optional<InsertCodeModel> model_;
  CReportCtrl candidates_;
  CReportCtrl selected_;
  bool notify_hooked_ = false;
};

}  // namespace orra
