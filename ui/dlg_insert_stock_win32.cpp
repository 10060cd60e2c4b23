#include "ui/dlg_insert_stock_win32.h"

#include <algorithm>
#include <cstddef>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "request/sheet_write_queue.h"
#include "ui/dialog_resources.h"
#include "ui/row_state.h"

namespace orra {
namespace {

constexpr size_t kCode = InsertCodeModel::kCodeColumn;
constexpr size_t kName = InsertCodeModel::kNameColumn;

// Both lists' columns are this many pixels wide.
constexpr int kColumnWidth = 100;
// Grid lines, full-row selection, headings dragged into another order, activation by one
// click and flat scroll bars.
constexpr DWORD kListExtendedStyle = LVS_EX_GRIDLINES | LVS_EX_FULLROWSELECT | LVS_EX_HEADERDRAGDROP |
                                     LVS_EX_ONECLICKACTIVATE | LVS_EX_FLATSB;
// The subclass of the dialog window that catches its notifications.
constexpr UINT_PTR kNotifySubclassId = 0x1065;

CellColours SystemColours() {
  return CellColours{static_cast<ColourRef>(GetSysColor(COLOR_WINDOWTEXT)),
                     static_cast<ColourRef>(GetSysColor(COLOR_WINDOW))};
}

wchar_t* Wide(std::u16string& text) { return reinterpret_cast<wchar_t*>(text.data()); }

}  // namespace

CDlgInsertStock::~CDlgInsertStock() {
  if (notify_hooked_ && window() != nullptr) RemoveWindowSubclass(window(), &NotifyProcedure, kNotifySubclassId);
}

bool CDlgInsertStock::Create(HWND excel_window) { return DialogHost::Create(kInsertStockTemplate, excel_window); }

void CDlgInsertStock::ShowAgain() {
  ShowInFront();
}

bool CDlgInsertStock::OnInitDialog() {
  model_.emplace(store_ != nullptr ? store_->SelfBlocks() : nullptr,
                 store_ != nullptr ? store_->MarketData() : nullptr, SystemColours());
  SetUpList(candidates_, kInsertStockCandidates);
  SetUpList(selected_, kInsertStockSelected);
  notify_hooked_ =
      SetWindowSubclass(window(), &NotifyProcedure, kNotifySubclassId, reinterpret_cast<DWORD_PTR>(this)) != FALSE;
  InsertTreeItems();
  // Codes fill down the active cell's column until the user picks the row.
  CheckRadioButton(window(), kInsertStockFillDown, kInsertStockFillRight, kInsertStockFillDown);
  model_->SetFillDirection(FillDirection::kDownTheColumn);
  CentreOverParent();
  return true;
}

void CDlgInsertStock::SetUpList(CReportCtrl& view, int id) {
  if (!view.Attach(GetDlgItem(window(), id))) return;
  view.InsertColumn(static_cast<int>(kCode), InsertCodeModel::kCodeHeading, LVCFMT_CENTER, kColumnWidth);
  view.InsertColumn(static_cast<int>(kName), InsertCodeModel::kNameHeading, LVCFMT_LEFT, kColumnWidth);
  view.SetExtendedStyle(kListExtendedStyle);
}

void CDlgInsertStock::InsertTreeItems() {
  const HWND tree = GetDlgItem(window(), kInsertStockTree);
  if (tree == nullptr) return;
  const std::vector<CodeTreeNode>& nodes = model_->tree().nodes();
  // Every node comes after its parent, so the parent's item is already there.
  std::vector<HTREEITEM> items(nodes.size(), nullptr);
  for (size_t i = 0; i < nodes.size(); ++i) {
    const CodeTreeNode& node = nodes[i];
    HTREEITEM parent = TVI_ROOT;
    if (node.parent) {
      if (*node.parent >= i || items[*node.parent] == nullptr) continue;
      parent = items[*node.parent];
    }
    std::u16string text = node.text;
    TVINSERTSTRUCTW insert{};
    insert.hParent = parent;
    insert.hInsertAfter = TVI_LAST;
    insert.item.mask = TVIF_TEXT | TVIF_PARAM;
    insert.item.pszText = Wide(text);
    insert.item.lParam = static_cast<LPARAM>(i);
    items[i] = reinterpret_cast<HTREEITEM>(SendMessageW(tree, TVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&insert)));
  }
  // An item expands only once it has children, so the expanding waits until all are in.
  for (size_t i = 0; i < nodes.size(); ++i) {
    if (nodes[i].expanded && items[i] != nullptr) {
      SendMessageW(tree, TVM_EXPAND, TVE_EXPAND, reinterpret_cast<LPARAM>(items[i]));
    }
  }
}

bool CDlgInsertStock::OnCommand(uint16_t id, uint16_t notification) {
  if (!model_) return false;
  switch (id) {
    case IDOK:
      Accept();
      return true;
    case IDCANCEL:
      ShowWindow(window(), SW_HIDE);
      return true;
    case kInsertStockAddAll:
      model_->AddAllCandidates();
      break;
    case kInsertStockAdd:
      ReadSelection(candidates_, model_->candidates());
      model_->AddSelectedCandidates();
      break;
    case kInsertStockRemove:
      ReadSelection(selected_, model_->selected());
      model_->RemoveSelected();
      break;
    case kInsertStockRemoveAll:
      model_->RemoveAll();
      break;
    case kInsertStockFillDown:
    case kInsertStockFillRight:
      if (notification != BN_CLICKED) return false;
      model_->SetFillDirection(id == kInsertStockFillRight ? FillDirection::kAlongTheRow
                                                           : FillDirection::kDownTheColumn);
      return true;
    default:
      return false;
  }
  ShowRows(model_->selected(), selected_);
  return true;
}

void CDlgInsertStock::Accept() {
  // An empty list still hands its (empty) table on: the array writer decides what that means.
  // The table is queued before the dialog goes, so that whoever sees it hidden (another thread)
  // finds the codes already on their way.
  ProcessSheetWriteQueue().Enqueue(model_->CodesTable());
  ShowWindow(window(), SW_HIDE);
}

void CDlgInsertStock::OnTreeDoubleClick() {
  const HWND tree = GetDlgItem(window(), kInsertStockTree);
  std::optional<size_t> node;
  const auto item = reinterpret_cast<HTREEITEM>(SendMessageW(tree, TVM_GETNEXTITEM, TVGN_CARET, 0));
  if (item != nullptr) {
    TVITEMW value{};
    value.mask = TVIF_PARAM;
    value.hItem = item;
    // Only an index the tree was given names a node.
    if (SendMessageW(tree, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&value)) != FALSE && value.lParam >= 0 &&
        static_cast<size_t>(value.lParam) < model_->tree().nodes().size()) {
      node = static_cast<size_t>(value.lParam);
    }
  }
  if (!node) return;
  model_->FillCandidates(node);
  ShowRows(model_->candidates(), candidates_);
}

void CDlgInsertStock::ReadSelection(CReportCtrl& view, ReportList& list) {
  const size_t rows = std::min(view.GetItemCount(), list.GetItemCount());
  for (size_t row = 0; row < rows; ++row) {
    const bool selected = (view.GetItemStates(static_cast<int>(row)) & kRowSelected) != 0;
    list.SetItemStates(row, selected ? kRowSelected : kRowNotSelected);
  }
}

void CDlgInsertStock::ShowRows(const ReportList& list, CReportCtrl& view) {
  view.DeleteItems(kRowAll);
  for (size_t row = 0; row < list.GetItemCount(); ++row) {
    const std::optional<int> shown = view.InsertItem(static_cast<int>(row), list.ItemText(row, kCode));
    if (!shown) return;
    view.SetItemText(*shown, static_cast<int>(kName), list.ItemText(row, kName));
  }
}

void CDlgInsertStock::TakeOrder(const ReportList& shown, ReportList& list) {
  list.DeleteItems(kRowAll);
  for (size_t row = 0; row < shown.GetItemCount(); ++row) {
    const std::optional<size_t> taken = list.InsertItem(row, std::u16string(shown.ItemText(row, kCode)));
    if (!taken) return;
    list.SetItemText(*taken, kName, std::u16string(shown.ItemText(row, kName)));
  }
}

LRESULT CALLBACK CDlgInsertStock::NotifyProcedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam, UINT_PTR,
                                                  DWORD_PTR self) {
  try {
    auto* dialog = reinterpret_cast<CDlgInsertStock*>(self);
    if (message == WM_NCDESTROY) {
      RemoveWindowSubclass(window, &NotifyProcedure, kNotifySubclassId);
      dialog->notify_hooked_ = false;
    } else if (message == WM_NOTIFY && lparam != 0 && dialog->model_) {
      const auto& header = *reinterpret_cast<const NMHDR*>(lparam);
      if (header.idFrom == kInsertStockTree && header.code == NM_DBLCLK) {
        dialog->OnTreeDoubleClick();
        return 0;
      }
    } else if (message == CReportCtrl::kSortedMessage && dialog->model_) {
      // The message does not say which list sorted; taking both back costs two short lists.
      TakeOrder(dialog->candidates_.model(), dialog->model_->candidates());
      TakeOrder(dialog->selected_.model(), dialog->model_->selected());
    }
  } catch (...) {
    // Nothing leaves a window procedure; the message goes on to the dialog.
  }
  return DefSubclassProc(window, message, wparam, lparam);
}

}  // namespace orra
