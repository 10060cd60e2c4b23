#include "ui/dlg_report_nav_win32.h"

#include <commctrl.h>

#include <variant>

#include "request/sheet_write_queue.h"
#include "ui/dialog_resources.h"

namespace orra {
namespace {

// The panel's edge lies this far left of the formula box's client area, and is this much wider.
constexpr LONG kPanelLeftOffset = 2;
constexpr LONG kPanelExtraWidth = 2;
// The panel is this many formula boxes tall.
constexpr LONG kPanelHeightInFormulaBoxes = 3;

std::u16string WindowText(HWND window) {
  const int length = GetWindowTextLengthW(window);
  if (length <= 0) return {};
  std::wstring text(static_cast<size_t>(length) + 1, L'\0');
  const int copied = GetWindowTextW(window, text.data(), length + 1);
  text.resize(copied > 0 ? static_cast<size_t>(copied) : 0);
  return std::u16string(text.begin(), text.end());
}

const wchar_t* Wide(const std::u16string& text) { return reinterpret_cast<const wchar_t*>(text.c_str()); }

}  // namespace

bool CDlgReportNav::Create(HWND excel_window) { return DialogHost::Create(kReportNavTemplate, excel_window); }

void CDlgReportNav::ShowAgain() {
  SetTimer(window(), kRefreshTimerId, kRefreshPeriodMs, nullptr);
  ShowInFront();
}

void CDlgReportNav::PreTranslate(const MSG& message) const {
  if (message.message != WM_KEYDOWN || message.wParam != 'A' || (GetKeyState(VK_CONTROL) & 0x8000) == 0) return;
  if (window() == nullptr || (message.hwnd != window() && !IsChild(window(), message.hwnd))) return;
  SendDlgItemMessageW(window(), kNavigatorSearchBox, EM_SETSEL, 0, -1);
}

void CDlgReportNav::Hide() {
  KillTimer(window(), kRefreshTimerId);
  ShowWindow(window(), SW_HIDE);
}

bool CDlgReportNav::OnInitDialog() {
  model_.emplace(store_);
  // A panel that cannot be made leaves the navigator without parameters rather than without a
  // window: the tree and the search still work.
  if (panel_.Create(window())) PlacePanel();
  const HWND search_box = GetDlgItem(window(), kNavigatorSearchBox);
  // A search box that cannot be taken over stays a plain edit: the tree still selects.
  const bool searches = search_box != nullptr && search_.Init(search_box);
  FillTree();
  if (searches) {
    search_.SetNotifyWindow(window());
    SetWindowTextW(search_box, Wide(model_->search_text()));
    search_.SetHint(true);
  }
  CentreOverParent();
  return true;
}

void CDlgReportNav::FillTree() {
  const std::vector<IndicatorTreeNode>& nodes = model_->tree().nodes();
  items_.assign(nodes.size(), nullptr);
  children_.assign(nodes.size(), {});
  children_inserted_.assign(nodes.size(), false);
  std::vector<size_t> top_level;
  for (size_t index = 0; index < nodes.size(); ++index) {
    if (!nodes[index].parent) {
      top_level.push_back(index);
    } else if (*nodes[index].parent < nodes.size()) {
      children_[*nodes[index].parent].push_back(index);
    }
  }
  const HWND tree = GetDlgItem(window(), kNavigatorTree);
  if (tree == nullptr) return;
  // A large terminal's 100 000 items take seconds to insert under Wine; a folder's children go
  // in when it is first expanded, so the first opening inserts only the top level.
  for (const size_t index : top_level) InsertItem(tree, index, TVI_ROOT);
  // Every node can be reached: a choice inserts the folders above it first.
  for (const SearchCandidate& candidate : model_->tree().candidates()) search_.AddCandidate(candidate.name, candidate.node);
  InvalidateRect(tree, nullptr, TRUE);
}

void CDlgReportNav::InsertItem(HWND tree, size_t node, HTREEITEM parent) {
  TVINSERTSTRUCTW insert = {};
  insert.hParent = parent;
  insert.hInsertAfter = TVI_LAST;
  insert.item.mask = TVIF_TEXT | TVIF_PARAM | TVIF_CHILDREN;
  // Node texts are zero-terminated in the tree's block.
  insert.item.pszText = const_cast<wchar_t*>(reinterpret_cast<const wchar_t*>(model_->tree().nodes()[node].text.data()));
  insert.item.lParam = static_cast<LPARAM>(node);
  // The expand button of a folder whose children are not inserted yet.
  insert.item.cChildren = children_[node].empty() ? 0 : 1;
  items_[node] = reinterpret_cast<HTREEITEM>(SendMessageW(tree, TVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&insert)));
}

void CDlgReportNav::InsertChildren(size_t folder) {
  if (folder >= items_.size() || children_inserted_[folder] || items_[folder] == nullptr) return;
  children_inserted_[folder] = true;
  const HWND tree = GetDlgItem(window(), kNavigatorTree);
  for (const size_t child : children_[folder]) InsertItem(tree, child, items_[folder]);
}

HTREEITEM CDlgReportNav::ItemOf(size_t node) {
  if (node >= items_.size()) return nullptr;
  // The folders above the node that are not in the view yet, nearest first; a loop, as a
  // terminal's folders may nest deeper than a thread's stack would take.
  std::vector<size_t> missing;
  for (std::optional<size_t> at = node; at && *at < items_.size() && items_[*at] == nullptr && missing.size() < items_.size();
       at = model_->tree().nodes()[*at].parent) {
    missing.push_back(*at);
  }
  for (auto folder = missing.rbegin(); folder != missing.rend(); ++folder) {
    const std::optional<size_t> parent = model_->tree().nodes()[*folder].parent;
    // A node whose folder the view refused has nowhere to go.
    if (!parent || *parent >= items_.size() || items_[*parent] == nullptr) return nullptr;
    InsertChildren(*parent);
  }
  return items_[node];
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

void CDlgReportNav::MarkDropHighlight(HTREEITEM item) {
  // Marked also as dropped on, so that it stays visible while another control has the focus.
  SendDlgItemMessageW(window(), kNavigatorTree, TVM_SELECTITEM, TVGN_DROPHILITE, reinterpret_cast<LPARAM>(item));
}

void CDlgReportNav::OnSelectionChanged(HTREEITEM item) {
  const HWND tree = GetDlgItem(window(), kNavigatorTree);
  MarkDropHighlight(item);
  std::optional<size_t> node;
  if (item != nullptr) {
    TVITEMW read = {};
    read.mask = TVIF_HANDLE | TVIF_PARAM;
    read.hItem = item;
    if (SendMessageW(tree, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&read)) != FALSE) {
      node = static_cast<size_t>(read.lParam);
    }
  }
  if (model_->Select(node)) panel_.ShowRows(model_->panel());
}

void CDlgReportNav::OnSearchChoice() {
  const std::optional<size_t> node = model_->ChooseSearchText(WindowText(GetDlgItem(window(), kNavigatorSearchBox)));
  if (!node) return;
  const HTREEITEM item = ItemOf(*node);
  if (item == nullptr) return;
  const HWND tree = GetDlgItem(window(), kNavigatorTree);
  SendMessageW(tree, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(item));
  MarkDropHighlight(item);
}

void CDlgReportNav::OnTick() {
  if (!model_->Tick(panel_.ReadRows(), probe_)) return;
  SetDlgItemTextW(window(), kNavigatorFormulaBox, Wide(model_->formula()));
  SetDlgItemTextW(window(), kNavigatorSearchBox, Wide(model_->search_text()));
}

void CDlgReportNav::OnOk() {
  std::variant<SheetTable, NavigatorRefusal> outcome = model_->Ok();
  if (const NavigatorRefusal* refusal = std::get_if<NavigatorRefusal>(&outcome)) {
    // The dialog stays open for the user to mend what is missing.
    const std::u16string text(RefusalMessage(*refusal));
    const std::u16string caption(kMessageCaption);
    MessageBoxW(window(), Wide(text), Wide(caption), MB_OK);
    return;
  }
  ProcessSheetWriteQueue().Enqueue(std::move(std::get<SheetTable>(outcome)));
  Hide();
}

std::optional<INT_PTR> CDlgReportNav::SearchBoxColours(HDC context, HWND control) const {
  if (control != search_.window() || control == nullptr) return std::nullopt;
  SetTextColor(context, NavigatorModel::ShowsHint(WindowText(control)) ? kHintColour : RGB(0, 0, 0));
  SetBkColor(context, GetSysColor(COLOR_WINDOW));
  return reinterpret_cast<INT_PTR>(GetSysColorBrush(COLOR_WINDOW));
}

bool CDlgReportNav::OnCommand(uint16_t id, uint16_t) {
  if (id == IDOK && model_) {
    OnOk();
    return true;
  }
  if (id != IDOK && id != IDCANCEL) return false;
  Hide();
  return true;
}

std::optional<INT_PTR> CDlgReportNav::OnMessage(UINT message, WPARAM wparam, LPARAM lparam) {
  if (!model_) return std::nullopt;
  switch (message) {
    case WM_NOTIFY: {
      const auto* header = reinterpret_cast<const NMHDR*>(lparam);
      if (header == nullptr || header->idFrom != kNavigatorTree) return std::nullopt;
      const HTREEITEM item = reinterpret_cast<const NMTREEVIEWW*>(lparam)->itemNew.hItem;
      if (header->code == TVN_SELCHANGINGW) {
        // Marked while it is still about to become the selection: Wine's tree ignores a drop
        // highlight asked for the item that already is. FALSE lets the selection change.
        MarkDropHighlight(item);
        SetWindowLongPtrW(window(), DWLP_MSGRESULT, FALSE);
        return TRUE;
      }
      if (header->code == TVN_ITEMEXPANDINGW) {
        const auto* change = reinterpret_cast<const NMTREEVIEWW*>(lparam);
        if ((change->action & TVE_EXPAND) != 0) InsertChildren(static_cast<size_t>(change->itemNew.lParam));
        // FALSE lets the folder expand.
        SetWindowLongPtrW(window(), DWLP_MSGRESULT, FALSE);
        return TRUE;
      }
      if (header->code != TVN_SELCHANGEDW) return std::nullopt;
      OnSelectionChanged(item);
      return TRUE;
    }
    case kAutocompleteChoiceMessage:
      OnSearchChoice();
      return TRUE;
    case WM_TIMER:
      if (wparam != kRefreshTimerId) return std::nullopt;
      OnTick();
      return TRUE;
    case WM_CTLCOLOREDIT:
      return SearchBoxColours(reinterpret_cast<HDC>(wparam), reinterpret_cast<HWND>(lparam));
    default:
      return std::nullopt;
  }
}

}  // namespace orra
