#pragma once
// CReportCtrl: the report list control on Win32. A SysListView32, made here or taken over from a
// dialog, that always shows report view with full-row selection; every call goes to the
// ReportList model (report_list.h) and the list view is then made to show what the model holds.
//
// The list view is subclassed (its Space key is swallowed, its destruction frees the model's
// rows) and so is its parent, where the list view's WM_NOTIFY arrives: a heading click sorts
// through the model, rewrites every row and sends kSortedMessage to the parent; custom drawing
// paints each cell in its row's colours. The parent therefore need not forward anything; a host
// that keeps its own subclassing off the parent hands the notifications to OnNotify instead.
//
// The user selects and checks rows in the list view itself, so the view reads the rows' states
// back into the model before anything that depends on them: one row's for GetItemStates and
// SetItemStates, every row's for counts, deletions and sorts.
//
// One object drives one window in its lifetime, on the thread that owns that window. No
// exception leaves a window procedure.

#include <windows.h>

#include <commctrl.h>

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "ui/report_list.h"
#include "ui/row_state.h"

namespace orra {

class CReportCtrl {
 public:
  // Sent to the parent after every sort: wParam the column, lParam 1 ascending or 0 descending.
  static constexpr UINT kSortedMessage = 0xA711;
  // The no-scroll, label-editing and small-icon bits never apply to this control.
  static constexpr DWORD kStyleRemoved = 0x2202;
  // Child, visible, both scroll bars, report view.
  static constexpr DWORD kStyleAdded = 0x50300001;
  // Full-row selection and sub-item images.
  static constexpr DWORD kExtendedStyleAdded = LVS_EX_FULLROWSELECT | LVS_EX_SUBITEMIMAGES;

  static DWORD AdjustStyle(DWORD style) { return (style & ~kStyleRemoved) | kStyleAdded; }

  // Takes the system's window-text and window colours for new cells.
  CReportCtrl();
  // Lets the window go; a window made by Create is destroyed with the object.
  ~CReportCtrl();
  CReportCtrl(const CReportCtrl&) = delete;
  CReportCtrl& operator=(const CReportCtrl&) = delete;

  // Makes the list view as child `id` of `parent`, filling the parent's client area when no
  // rectangle is given. False when the object already has a window or creation failed.
  bool Create(HWND parent, int id, const std::optional<RECT>& rectangle, DWORD style);
  // Takes over an existing list view (a dialog's control): its style is adjusted as at
  // creation. False for a window that is not a list view, or when the object has one already.
  bool Attach(HWND list_view);
  HWND window() const { return window_; }

  void SetExtendedStyle(DWORD style);

  // The new column's index; none when the list view refused it. `subitem` none leaves the
  // list view's default.
  std::optional<int> InsertColumn(int index, std::u16string_view heading, int format, int width,
                                  std::optional<int> subitem = std::nullopt);
  // The new row's index; none when the list view or the model refused it (nothing is kept).
  std::optional<int> InsertItem(int index, std::u16string_view text);
  bool SetItemText(int row, int column, std::u16string_view text);
  bool SetItemData(int row, uintptr_t value);
  std::optional<uintptr_t> GetItemData(int row) const;

  // RowState flags, as ReportList answers them, for the rows as the list view shows them.
  uint32_t GetItemStates(int row);
  bool SetItemStates(int row, uint32_t flags);
  size_t GetItemCount(uint32_t filter = kRowAll);
  bool DeleteItem(int row, bool select_next);
  size_t DeleteItems(uint32_t filter);

  // A WM_NOTIFY that reached the parent: the result when it came from this list view and the
  // view handled it (heading clicks, custom drawing).
  std::optional<LRESULT> OnNotify(NMHDR& header);

  const ReportList& model() const { return model_; }

 private:
  static LRESULT CALLBACK ListProcedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam, UINT_PTR id,
                                        DWORD_PTR self);
  static LRESULT CALLBACK ParentProcedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam, UINT_PTR id,
                                          DWORD_PTR self);

  bool Subclass(HWND list_view);
  void Unsubclass();
  std::optional<size_t> RowIndex(int row) const;
  // Reads every row's selection, check and focus from the list view into the model.
  void ReadStatesFromView();
  void ReadRowStatesFromView(size_t row);
  // Makes the list view show the model's states for `row`; `flags` picks which pairs to write.
  bool WriteStatesToView(size_t row, uint32_t flags);
  // Writes every row's texts, value and states from the model, as after a sort.
  void RewriteRowsFromModel();
  void OnColumnClick(int column);
  LRESULT OnCustomDraw(NMLVCUSTOMDRAW& draw) const;

  ReportList model_;
  HWND window_ = nullptr;
  HWND parent_ = nullptr;
  bool owns_window_ = false;
};

}  // namespace orra
