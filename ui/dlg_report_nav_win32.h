#pragma once
// CDlgReportNav: the indicator navigator, "函数插入", a modeless dialog from template 1059 owned
// by Excel's main window, with its parameter panel (CDlgParamInfo, template 1060) placed under
// the "参数列表：" label. Made once, then hidden by OK, Cancel and Esc and shown again by later
// requests, so its contents survive. Its 250 ms timer (4353) runs while it is shown.
//
// The windows only carry what NavigatorModel decides: the tree view holds the model's nodes in
// their order (each item's lParam is its node's index; a folder's children from its first
// expansion on), the search box (a CACEdit) offers the model's candidates and reports its choices here, the timer asks the model for the formula from
// what the panel's rows read, and OK hands the model's table to the process's sheet write queue
// or shows its refusal. The model is built at WM_INITDIALOG from the store's indicator file as
// loaded then, and keeps it.
//
// The user-interface thread only: that thread's message loop runs the dialog, and gives it each
// message first through PreTranslate.

#include <windows.h>
#include <commctrl.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "store/orra_data.h"
#include "ui/autocomplete_edit_win32.h"
#include "ui/cell_reference_probe.h"
#include "ui/dialog_host_win32.h"
#include "ui/dlg_param_info_win32.h"
#include "ui/excel_cell_references.h"
#include "ui/navigator_model.h"

namespace orra {

class CDlgReportNav final : public DialogHost {
 public:
  // The formula box's refresh timer.
  static constexpr UINT_PTR kRefreshTimerId = 4353;
  static constexpr UINT kRefreshPeriodMs = 250;
  // The search box's text while it shows the hint.
  static constexpr COLORREF kHintColour = RGB(0x60, 0x60, 0x60);
  // The caption of the navigator's message boxes.
  static constexpr std::u16string_view kMessageCaption = u"提示";

  // `excel` answers the panel's questions about cells; `store` gives the indicator tree and the
  // parameters. Both must outlive the dialog.
  CDlgReportNav(ExcelCellReferences& excel, const COrraData& store) : probe_(excel), store_(store), panel_(probe_) {}

  // Makes the hidden dialog over `excel_window`; false when it cannot be made.
  bool Create(HWND excel_window);
  // Starts the timer, makes the dialog the active window and shows it.
  void ShowAgain();
  // A message of the thread's loop, before the dialog's keyboard handling: Ctrl+A anywhere in
  // the navigator selects the search box's text, and the key then goes on to its control.
  void PreTranslate(const MSG& message) const;

 private:
  // The panel asks Excel through the thread's cell references.
  class ExcelProbe final : public CellReferenceProbe {
   public:
    explicit ExcelProbe(ExcelCellReferences& excel) : excel_(excel) {}
    bool IsRange(std::u16string_view text) override { return excel_.IsRange(text); }
    std::optional<std::u16string> ActiveCellAddress() override { return excel_.ActiveCellAddress(); }

   private:
    ExcelCellReferences& excel_;
  };

  bool OnInitDialog() override;
  bool OnCommand(uint16_t id, uint16_t notification) override;
  std::optional<INT_PTR> OnMessage(UINT message, WPARAM wparam, LPARAM lparam) override;
  void Hide();
  // The panel's rectangle in the navigator's client area, from the formula box and the label.
  void PlacePanel();
  // Inserts the top-level nodes and offers every candidate to the search box.
  void FillTree();
  void InsertItem(HWND tree, size_t node, HTREEITEM parent);
  // Inserts a folder's children, once: at its first expansion or when a choice reaches below it.
  void InsertChildren(size_t folder);
  // The node's item, inserting the folders above it first; null when the view refused one.
  HTREEITEM ItemOf(size_t node);
  void MarkDropHighlight(HTREEITEM item);
  void OnSelectionChanged(HTREEITEM item);
  void OnSearchChoice();
  void OnTick();
  void OnOk();
  std::optional<INT_PTR> SearchBoxColours(HDC context, HWND control) const;

  ExcelProbe probe_;
  const COrraData& store_;
  CDlgParamInfo panel_;
  // Built at WM_INITDIALOG, once.
  std::optional<NavigatorModel> model_;
  // The tree view's item of each node of the model's tree; null for a node not inserted yet
  // (its folder was never expanded) or that the view refused.
  std::vector<HTREEITEM> items_;
  // Each node's children in file order, and whether they are in the view yet.
  std::vector<std::vector<size_t>> children_;
  std::vector<bool> children_inserted_;
  // Declared last, so it lets go of the windows it subclasses before anything destroys them.
  CACEdit search_;
};

}  // namespace orra
