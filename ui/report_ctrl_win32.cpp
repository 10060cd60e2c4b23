#include "ui/report_ctrl_win32.h"

#include <algorithm>
#include <vector>

namespace orra {
namespace {

static_assert(CReportCtrl::kExtendedStyleAdded == 0x22);

// State images: a check box list shows image 1 unchecked and 2 checked; a list without check
// boxes shows none for an unchecked row.
constexpr int kNoImage = 0;
constexpr int kUncheckedImage = 1;
constexpr int kCheckedImage = 2;

const wchar_t* Wide(const std::u16string& text) { return reinterpret_cast<const wchar_t*>(text.c_str()); }

int StateImageOf(UINT state) { return static_cast<int>((state & LVIS_STATEIMAGEMASK) >> 12); }

// Locks the list view's drawing while many rows change, and draws it once afterwards.
class RedrawLock {
 public:
  explicit RedrawLock(HWND window) : window_(window) { SendMessageW(window_, WM_SETREDRAW, FALSE, 0); }
  ~RedrawLock() {
    SendMessageW(window_, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(window_, nullptr, TRUE);
  }
  RedrawLock(const RedrawLock&) = delete;
  RedrawLock& operator=(const RedrawLock&) = delete;

 private:
  HWND window_;
};

int ViewRowCount(HWND window) { return static_cast<int>(SendMessageW(window, LVM_GETITEMCOUNT, 0, 0)); }

bool IsListView(HWND window) {
  wchar_t name[32] = {};
  const int length = GetClassNameW(window, name, static_cast<int>(std::size(name)));
  return length > 0 && lstrcmpiW(name, WC_LISTVIEWW) == 0;
}

}  // namespace

CReportCtrl::CReportCtrl()
    : model_(CellColours{static_cast<ColourRef>(GetSysColor(COLOR_WINDOWTEXT)),
                         static_cast<ColourRef>(GetSysColor(COLOR_WINDOW))}) {}

CReportCtrl::~CReportCtrl() {
  if (window_ == nullptr) return;
  const HWND window = window_;
  const bool owned = owns_window_;
  Unsubclass();
  if (owned) DestroyWindow(window);
}

bool CReportCtrl::Create(HWND parent, int id, const std::optional<RECT>& rectangle, DWORD style) {
  if (window_ != nullptr || parent == nullptr) return false;
  INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_LISTVIEW_CLASSES};
  InitCommonControlsEx(&controls);
  RECT area{};
  if (rectangle) {
    area = *rectangle;
  } else if (!GetClientRect(parent, &area)) {
    return false;
  }
  const auto instance = reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(parent, GWLP_HINSTANCE));
  const HWND list_view = CreateWindowExW(0, WC_LISTVIEWW, L"", AdjustStyle(style), area.left, area.top,
                                         area.right - area.left, area.bottom - area.top, parent,
                                         reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), instance, nullptr);
  if (list_view == nullptr) return false;
  if (!Subclass(list_view)) {
    DestroyWindow(list_view);
    return false;
  }
  owns_window_ = true;
  SetExtendedStyle(0);
  return true;
}

bool CReportCtrl::Attach(HWND list_view) {
  if (window_ != nullptr || list_view == nullptr || !IsListView(list_view)) return false;
  const auto style = static_cast<DWORD>(GetWindowLongPtrW(list_view, GWL_STYLE));
  SetWindowLongPtrW(list_view, GWL_STYLE, static_cast<LONG_PTR>(AdjustStyle(style)));
  SetWindowPos(list_view, nullptr, 0, 0, 0, 0,
               SWP_FRAMECHANGED | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  if (!Subclass(list_view)) return false;
  const auto extended = static_cast<DWORD>(SendMessageW(list_view, LVM_GETEXTENDEDLISTVIEWSTYLE, 0, 0));
  SetExtendedStyle(extended);
  return true;
}

bool CReportCtrl::Subclass(HWND list_view) {
  const HWND parent = GetParent(list_view);
  const auto key = reinterpret_cast<UINT_PTR>(this);
  const auto self = reinterpret_cast<DWORD_PTR>(this);
  if (parent == nullptr || !SetWindowSubclass(list_view, &CReportCtrl::ListProcedure, key, self)) return false;
  if (!SetWindowSubclass(parent, &CReportCtrl::ParentProcedure, key, self)) {
    RemoveWindowSubclass(list_view, &CReportCtrl::ListProcedure, key);
    return false;
  }
  window_ = list_view;
  parent_ = parent;
  return true;
}

void CReportCtrl::Unsubclass() {
  const auto key = reinterpret_cast<UINT_PTR>(this);
  if (window_ != nullptr) RemoveWindowSubclass(window_, &CReportCtrl::ListProcedure, key);
  if (parent_ != nullptr) RemoveWindowSubclass(parent_, &CReportCtrl::ParentProcedure, key);
  window_ = nullptr;
  parent_ = nullptr;
  owns_window_ = false;
}

void CReportCtrl::SetExtendedStyle(DWORD style) {
  if (window_ == nullptr) return;
  SendMessageW(window_, LVM_SETEXTENDEDLISTVIEWSTYLE, 0, static_cast<LPARAM>(style | kExtendedStyleAdded));
}

std::optional<size_t> CReportCtrl::RowIndex(int row) const {
  if (window_ == nullptr || row < 0 || static_cast<size_t>(row) >= model_.GetItemCount()) return std::nullopt;
  return static_cast<size_t>(row);
}

std::optional<int> CReportCtrl::InsertColumn(int index, std::u16string_view heading, int format, int width,
                                             std::optional<int> subitem) {
  if (window_ == nullptr || index < 0) return std::nullopt;
  std::u16string text(heading);
  LVCOLUMNW column{};
  column.mask = LVCF_TEXT | LVCF_FMT | LVCF_WIDTH;
  column.fmt = format;
  column.cx = width;
  column.pszText = const_cast<wchar_t*>(Wide(text));
  if (subitem) {
    column.mask |= LVCF_SUBITEM;
    column.iSubItem = *subitem;
  }
  const auto inserted = static_cast<int>(
      SendMessageW(window_, LVM_INSERTCOLUMNW, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&column)));
  if (inserted < 0) return std::nullopt;
  model_.InsertColumn(static_cast<size_t>(inserted), std::move(text));
  return inserted;
}

std::optional<int> CReportCtrl::InsertItem(int index, std::u16string_view text) {
  if (window_ == nullptr || index < 0) return std::nullopt;
  std::u16string first(text);
  LVITEMW item{};
  item.mask = LVIF_TEXT;
  item.iItem = index;
  item.pszText = const_cast<wchar_t*>(Wide(first));
  const auto inserted = static_cast<int>(SendMessageW(window_, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item)));
  if (inserted < 0) return std::nullopt;
  if (!model_.InsertItem(static_cast<size_t>(inserted), std::move(first))) {
    SendMessageW(window_, LVM_DELETEITEM, static_cast<WPARAM>(inserted), 0);
    return std::nullopt;
  }
  return inserted;
}

bool CReportCtrl::SetItemText(int row, int column, std::u16string_view text) {
  const std::optional<size_t> at = RowIndex(row);
  // A list without columns still keeps its rows' first text.
  if (!at || column < 0 || static_cast<size_t>(column) >= std::max<size_t>(model_.column_count(), 1)) return false;
  std::u16string copy(text);
  LVITEMW item{};
  item.iSubItem = column;
  item.pszText = const_cast<wchar_t*>(Wide(copy));
  if (!SendMessageW(window_, LVM_SETITEMTEXTW, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item))) return false;
  return model_.SetItemText(*at, static_cast<size_t>(column), std::move(copy));
}

bool CReportCtrl::SetItemData(int row, uintptr_t value) {
  const std::optional<size_t> at = RowIndex(row);
  if (!at) return false;
  // The list view keeps the same value, for hosts that read it there.
  LVITEMW item{};
  item.mask = LVIF_PARAM;
  item.iItem = row;
  item.lParam = static_cast<LPARAM>(value);
  SendMessageW(window_, LVM_SETITEMW, 0, reinterpret_cast<LPARAM>(&item));
  return model_.SetItemData(*at, value);
}

std::optional<uintptr_t> CReportCtrl::GetItemData(int row) const {
  const std::optional<size_t> at = RowIndex(row);
  return at ? model_.GetItemData(*at) : std::nullopt;
}

void CReportCtrl::ReadStatesFromView() {
  if (window_ == nullptr) return;
  // Rows put into the list view past the model (never through InsertItem) have no record.
  const size_t rows = std::min(static_cast<size_t>(std::max(ViewRowCount(window_), 0)), model_.GetItemCount());
  for (size_t row = 0; row < rows; ++row) ReadRowStatesFromView(row);
}

void CReportCtrl::ReadRowStatesFromView(size_t row) {
  const auto state = static_cast<UINT>(SendMessageW(window_, LVM_GETITEMSTATE, static_cast<WPARAM>(row),
                                                    LVIS_SELECTED | LVIS_FOCUSED | LVIS_STATEIMAGEMASK));
  const uint32_t wanted = ((state & LVIS_SELECTED) ? kRowSelected : kRowNotSelected) |
                          (StateImageOf(state) >= kCheckedImage ? kRowChecked : kRowNotChecked) |
                          ((state & LVIS_FOCUSED) ? kRowFocused : kRowNotFocused);
  if (model_.GetItemStates(row) == wanted) return;
  // The list view focuses one row at most, so the row it shows focused takes the model's focus
  // from any other, as the list view took it.
  model_.SetItemStates(row, wanted);
}

bool CReportCtrl::WriteStatesToView(size_t row, uint32_t flags) {
  const uint32_t states = model_.GetItemStates(row);
  LVITEMW item{};
  if (flags & (kRowSelected | kRowNotSelected)) {
    item.stateMask |= LVIS_SELECTED;
    if (states & kRowSelected) item.state |= LVIS_SELECTED;
  }
  if (flags & (kRowFocused | kRowNotFocused)) {
    item.stateMask |= LVIS_FOCUSED;
    if (states & kRowFocused) item.state |= LVIS_FOCUSED;
  }
  if (flags & (kRowChecked | kRowNotChecked)) {
    item.stateMask |= LVIS_STATEIMAGEMASK;
    const bool check_boxes = (SendMessageW(window_, LVM_GETEXTENDEDLISTVIEWSTYLE, 0, 0) & LVS_EX_CHECKBOXES) != 0;
    const int unchecked = check_boxes ? kUncheckedImage : kNoImage;
    item.state |= INDEXTOSTATEIMAGEMASK((states & kRowChecked) ? kCheckedImage : unchecked);
  }
  if (item.stateMask == 0) return false;
  return SendMessageW(window_, LVM_SETITEMSTATE, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item)) != 0;
}

uint32_t CReportCtrl::GetItemStates(int row) {
  const std::optional<size_t> at = RowIndex(row);
  if (!at) return 0;
  ReadRowStatesFromView(*at);
  return model_.GetItemStates(*at);
}

bool CReportCtrl::SetItemStates(int row, uint32_t flags) {
  const std::optional<size_t> at = RowIndex(row);
  if (!at) return false;
  ReadRowStatesFromView(*at);
  if (!model_.SetItemStates(*at, flags)) return false;
  return WriteStatesToView(*at, flags);
}

size_t CReportCtrl::GetItemCount(uint32_t filter) {
  ReadStatesFromView();
  return model_.GetItemCount(filter);
}

bool CReportCtrl::DeleteItem(int row, bool select_next) {
  const std::optional<size_t> at = RowIndex(row);
  if (!at) return false;
  ReadStatesFromView();
  if (!model_.DeleteItem(*at, select_next)) return false;
  // The next row moved up into `row` in the model; it is still one below in the list view.
  if (select_next && *at < model_.GetItemCount()) {
    LVITEMW item{};
    item.stateMask = LVIS_SELECTED;
    item.state = LVIS_SELECTED;
    SendMessageW(window_, LVM_SETITEMSTATE, static_cast<WPARAM>(row + 1), reinterpret_cast<LPARAM>(&item));
  }
  return SendMessageW(window_, LVM_DELETEITEM, static_cast<WPARAM>(row), 0) != 0;
}

size_t CReportCtrl::DeleteItems(uint32_t filter) {
  if (window_ == nullptr) return 0;
  ReadStatesFromView();
  RedrawLock lock(window_);
  if (filter & kRowAll) {
    SendMessageW(window_, LVM_DELETEALLITEMS, 0, 0);
    return model_.DeleteItems(filter);
  }
  if (filter == 0) return 0;
  // Row by row from the first, staying on an index after a deletion, so the model and the
  // list view lose the same rows.
  size_t deleted = 0;
  size_t row = 0;
  while (row < model_.GetItemCount()) {
    if ((model_.GetItemStates(row) & filter) != filter) {
      ++row;
      continue;
    }
    model_.DeleteItem(row, false);
    SendMessageW(window_, LVM_DELETEITEM, static_cast<WPARAM>(row), 0);
    ++deleted;
  }
  return deleted;
}

void CReportCtrl::RewriteRowsFromModel() {
  RedrawLock lock(window_);
  const size_t rows = std::min(static_cast<size_t>(std::max(ViewRowCount(window_), 0)), model_.GetItemCount());
  for (size_t row = 0; row < rows; ++row) {
    for (size_t column = 0; column < model_.column_count(); ++column) {
      std::u16string text(model_.ItemText(row, column));
      LVITEMW cell{};
      cell.iSubItem = static_cast<int>(column);
      cell.pszText = const_cast<wchar_t*>(Wide(text));
      SendMessageW(window_, LVM_SETITEMTEXTW, row, reinterpret_cast<LPARAM>(&cell));
    }
    LVITEMW item{};
    item.mask = LVIF_PARAM;
    item.iItem = static_cast<int>(row);
    item.lParam = static_cast<LPARAM>(model_.GetItemData(row).value_or(0));
    SendMessageW(window_, LVM_SETITEMW, 0, reinterpret_cast<LPARAM>(&item));
    WriteStatesToView(row, kRowSelected | kRowFocused | kRowChecked);
  }
}

void CReportCtrl::OnColumnClick(int column) {
  const auto header = reinterpret_cast<HWND>(SendMessageW(window_, LVM_GETHEADER, 0, 0));
  if (header == nullptr || (GetWindowLongPtrW(header, GWL_STYLE) & HDS_BUTTONS) == 0) return;
  const auto columns = static_cast<int>(SendMessageW(header, HDM_GETITEMCOUNT, 0, 0));
  if (column < 0 || column >= columns) return;
  ReadStatesFromView();
  const std::optional<ReportList::SortOrder> order = model_.SortByHeading(static_cast<size_t>(column));
  if (!order) return;
  RewriteRowsFromModel();
  SendMessageW(GetParent(window_), kSortedMessage, static_cast<WPARAM>(order->column), order->ascending ? 1 : 0);
}

LRESULT CReportCtrl::OnCustomDraw(NMLVCUSTOMDRAW& draw) const {
  const DWORD stage = draw.nmcd.dwDrawStage;
  if (stage == CDDS_PREPAINT) return CDRF_NOTIFYITEMDRAW;
  if (stage != CDDS_ITEMPREPAINT && stage != (CDDS_ITEMPREPAINT | CDDS_SUBITEM)) return CDRF_DODEFAULT;
  const size_t column = (stage & CDDS_SUBITEM) != 0 ? static_cast<size_t>(std::max(draw.iSubItem, 0)) : 0;
  const std::optional<CellColours> colours = model_.CellColoursAt(static_cast<size_t>(draw.nmcd.dwItemSpec), column);
  if (colours) {
    draw.clrText = colours->text;
    draw.clrTextBk = colours->background;
  }
  return stage == CDDS_ITEMPREPAINT ? CDRF_NOTIFYSUBITEMDRAW : CDRF_DODEFAULT;
}

std::optional<LRESULT> CReportCtrl::OnNotify(NMHDR& header) {
  if (window_ == nullptr || header.hwndFrom != window_) return std::nullopt;
  if (header.code == LVN_COLUMNCLICK) {
    OnColumnClick(reinterpret_cast<NMLISTVIEW&>(header).iSubItem);
    return 0;
  }
  if (header.code == NM_CUSTOMDRAW) {
    // The list view hands its drawing record for the parent to fill in.
    return OnCustomDraw(reinterpret_cast<NMLVCUSTOMDRAW&>(header));
  }
  return std::nullopt;
}

LRESULT CALLBACK CReportCtrl::ListProcedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam, UINT_PTR,
                                            DWORD_PTR self) {
  try {
    auto* control = reinterpret_cast<CReportCtrl*>(self);
    if ((message == WM_KEYDOWN || message == WM_CHAR) && wparam == VK_SPACE) return 0;
    if (message == WM_DESTROY) {
      control->model_.DeleteItems(kRowAll);
    } else if (message == WM_NCDESTROY) {
      control->Unsubclass();
    }
  } catch (...) {
    // The list view still gets the message; the view's own work on it is what was lost.
  }
  return DefSubclassProc(window, message, wparam, lparam);
}

LRESULT CALLBACK CReportCtrl::ParentProcedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam, UINT_PTR,
                                              DWORD_PTR self) {
  try {
    if (message == WM_NOTIFY && lparam != 0) {
      auto* control = reinterpret_cast<CReportCtrl*>(self);
      if (const std::optional<LRESULT> result = control->OnNotify(*reinterpret_cast<NMHDR*>(lparam))) {
        return *result;
      }
    }
  } catch (...) {
    return 0;
  }
  return DefSubclassProc(window, message, wparam, lparam);
}

}  // namespace orra
