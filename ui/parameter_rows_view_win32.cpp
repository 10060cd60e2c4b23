#include "ui/parameter_rows_view_win32.h"

#include <commctrl.h>

#include <algorithm>
#include <optional>
#include <string>

#include "ui/scroll_track_position_win32.h"

namespace orra {
namespace {

constexpr wchar_t kFontFace[] = L"宋体";
constexpr int kFontPoints = 10;
constexpr int kPointsPerInch = 72;
// A choice box shows at least this many items when it drops down.
constexpr int kChoiceVisibleItems = 6;

const wchar_t* Wide(const char16_t* text) { return reinterpret_cast<const wchar_t*>(text); }

// The screen's device context, for the pixels per inch the font's height is reckoned in.
class ScreenContext {
 public:
  explicit ScreenContext(HWND window) : window_(window), context_(GetDC(window)) {}
  ~ScreenContext() {
    if (context_ != nullptr) ReleaseDC(window_, context_);
  }
  ScreenContext(const ScreenContext&) = delete;
  ScreenContext& operator=(const ScreenContext&) = delete;
  HDC get() const { return context_; }

 private:
  HWND window_;
  HDC context_;
};

HFONT MakePanelFont(HWND panel) {
  const ScreenContext screen(panel);
  const int pixels_per_inch = screen.get() != nullptr ? GetDeviceCaps(screen.get(), LOGPIXELSY) : 96;
  const int height = -MulDiv(kFontPoints, pixels_per_inch, kPointsPerInch);
  return CreateFontW(height, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                     CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE, kFontFace);
}

std::u16string WindowText(HWND window) {
  const int length = GetWindowTextLengthW(window);
  if (length <= 0) return {};
  std::u16string text(static_cast<size_t>(length) + 1, u'\0');
  const int copied = GetWindowTextW(window, reinterpret_cast<wchar_t*>(text.data()), length + 1);
  text.resize(static_cast<size_t>(std::clamp(copied, 0, length)));
  return text;
}

RowReading ReadControl(RowInput input, HWND control) {
  switch (input) {
    case RowInput::kEdit:
      return WindowText(control);
    case RowInput::kChoice: {
      const LRESULT chosen = SendMessageW(control, CB_GETCURSEL, 0, 0);
      if (chosen == CB_ERR || chosen < 0) return ChosenItem{};
      return ChosenItem{static_cast<size_t>(chosen)};
    }
    case RowInput::kDate: {
      SYSTEMTIME time = {};
      if (SendMessageW(control, DTM_GETSYSTEMTIME, 0, reinterpret_cast<LPARAM>(&time)) == GDT_VALID &&
          IsValidCalendarDate(time.wYear, time.wMonth, time.wDay)) {
        return CalendarDate{time.wYear, time.wMonth, time.wDay};
      }
      // Not a date: BuildFormula gives the row no argument.
      return std::u16string();
    }
  }
  return std::u16string();
}

}  // namespace

ParameterRowsView::ParameterRowsView(HWND panel_window) noexcept
    : panel_(panel_window), font_(MakePanelFont(panel_window)) {}

void ParameterRowsView::Show(const ParameterPanel& panel) noexcept {
  try {
    ShowRows(panel);
  } catch (...) {
    // Out of memory half way: better no rows than rows the model does not describe.
    rows_.clear();
    PlaceReferenceButton(false);
  }
}

void ParameterRowsView::ShowRows(const ParameterPanel& panel) {
  rows_.clear();
  // The rows are made where the model puts them, which is where they stand at the top.
  position_ = 0;
  rows_.reserve(panel.rows().size());
  for (const PanelRow& row : panel.rows()) rows_.push_back(MakeRow(row));
  PlaceReferenceButton(panel.reference_button_visible());

  RECT client = {};
  GetClientRect(panel_, &client);
  range_units_ = panel.ScrollRangeUnits();
  page_units_ = std::max(0, static_cast<int>(client.bottom - client.top) / ParameterPanel::kScrollUnitPixels);
  SCROLLINFO info = {};
  info.cbSize = sizeof(info);
  info.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
  info.nMin = 0;
  info.nMax = range_units_;
  info.nPage = static_cast<UINT>(page_units_);
  info.nPos = 0;
  SetScrollInfo(panel_, SB_VERT, &info, TRUE);
  InvalidateRect(panel_, nullptr, TRUE);
}

ParameterRowsView::RowControls ParameterRowsView::MakeRow(const PanelRow& row) const {
  RowControls controls;
  controls.input = row.input;
  controls.label = UniqueWindow(
      MakeControl(0, WC_STATICW, WS_CHILD | WS_VISIBLE | SS_RIGHT, row.label, row.label_rect, row.label_id));
  switch (row.input) {
    case RowInput::kEdit:
      controls.control = UniqueWindow(MakeControl(WS_EX_CLIENTEDGE, WC_EDITW,
                                                  WS_CHILD | WS_VISIBLE | WS_TABSTOP | ES_AUTOHSCROLL,
                                                  row.initial_text, row.input_rect, row.input_id));
      break;
    case RowInput::kDate: {
      controls.control = UniqueWindow(MakeControl(0, DATETIMEPICK_CLASSW,
                                                  WS_CHILD | WS_VISIBLE | WS_TABSTOP | DTS_SHORTDATEFORMAT, u"",
                                                  row.input_rect, row.input_id));
      // Without a date the picker keeps its own, today.
      if (controls.control && row.initial_date) {
        SYSTEMTIME time = {};
        time.wYear = static_cast<WORD>(row.initial_date->year);
        time.wMonth = static_cast<WORD>(row.initial_date->month);
        time.wDay = static_cast<WORD>(row.initial_date->day);
        SendMessageW(controls.control.get(), DTM_SETSYSTEMTIME, GDT_VALID, reinterpret_cast<LPARAM>(&time));
      }
      break;
    }
    case RowInput::kChoice: {
      // Not CBS_SORT: the items keep the list's order, which is the order of their indexes.
      controls.control = UniqueWindow(MakeControl(0, WC_COMBOBOXW,
                                                  WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST,
                                                  u"", row.input_rect, row.input_id));
      const HWND box = controls.control.get();
      if (box == nullptr) break;
      for (const ChoiceItem& item : row.choices) {
        SendMessageW(box, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(Wide(item.display().c_str())));
      }
      SendMessageW(box, CB_SETMINVISIBLE, kChoiceVisibleItems, 0);
      SendMessageW(box, CB_SETCURSEL, 0, 0);
      break;
    }
  }
  return controls;
}

HWND ParameterRowsView::MakeControl(DWORD extended_style, const wchar_t* window_class, DWORD style,
                                    std::u16string_view text, const PanelRect& rect, int id) const {
  const std::u16string terminated(text);
  const auto instance = reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(panel_, GWLP_HINSTANCE));
  const HWND control =
      CreateWindowExW(extended_style, window_class, Wide(terminated.c_str()), style, rect.left, rect.top,
                      rect.right - rect.left, rect.bottom - rect.top, panel_,
                      reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), instance, nullptr);
  if (control != nullptr && font_) SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font_.get()), FALSE);
  return control;
}

void ParameterRowsView::PlaceReferenceButton(bool visible) const {
  const HWND button = GetDlgItem(panel_, ParameterPanel::kReferenceButtonId);
  if (button == nullptr) return;
  if (!visible) {
    ShowWindow(button, SW_HIDE);
    return;
  }
  const PanelRect rect = ParameterPanel::ReferenceButtonRect();
  const int scrolled = position_ * ParameterPanel::kScrollUnitPixels;
  SetWindowPos(button, nullptr, rect.left, rect.top - scrolled, rect.right - rect.left, rect.bottom - rect.top,
               SWP_NOZORDER | SWP_NOACTIVATE | SWP_SHOWWINDOW);
}

std::vector<RowReading> ParameterRowsView::Read() const noexcept {
  try {
    std::vector<RowReading> readings;
    readings.reserve(rows_.size());
    for (const RowControls& row : rows_) {
      if (row.control) {
        readings.push_back(ReadControl(row.input, row.control.get()));
      } else {
        // A control that could not be made has nothing to read.
        readings.emplace_back(row.input == RowInput::kEdit ? RowReading(ChosenItem{}) : RowReading(u""));
      }
    }
    return readings;
  } catch (...) {
    return {};
  }
}

void ParameterRowsView::OnReferenceButton(CellReferenceProbe& excel) noexcept {
  try {
    if (rows_.empty() || !rows_.front().control) return;
    const std::optional<std::u16string> text = ParameterPanel::ReferenceText(excel);
    if (text) SetWindowTextW(rows_.front().control.get(), Wide(text->c_str()));
  } catch (...) {
    // Excel's answer could not be held: the edit stays as it is, as when Excel refuses.
  }
}

void ParameterRowsView::OnVScroll(WPARAM request) noexcept {
  switch (LOWORD(request)) {
    case SB_LINEUP:
      ScrollTo(position_ - 1);
      break;
    case SB_LINEDOWN:
      ScrollTo(position_ + 1);
      break;
    case SB_PAGEUP:
      ScrollTo(position_ - kPageUnits);
      break;
    case SB_PAGEDOWN:
      ScrollTo(position_ + kPageUnits);
      break;
    case SB_THUMBTRACK:
    case SB_THUMBPOSITION:
      if (const std::optional<int> track = ScrollTrackPosition(panel_, SB_VERT)) ScrollTo(*track);
      break;
    case SB_TOP:
      ScrollTo(0);
      break;
    case SB_BOTTOM:
      ScrollTo(MaxPosition());
      break;
    default:
      break;
  }
}

void ParameterRowsView::OnMouseWheel(WPARAM wheel) noexcept {
  const int delta = GET_WHEEL_DELTA_WPARAM(wheel);
  if (delta > 0) OnVScroll(SB_LINEUP);
  if (delta < 0) OnVScroll(SB_LINEDOWN);
}

void ParameterRowsView::OnLeftButton() noexcept { SetFocus(panel_); }

int ParameterRowsView::MaxPosition() const {
  // As the scroll bar reckons it: the last position shows the range's end at the page's bottom.
  const int last = page_units_ > 0 ? range_units_ - page_units_ + 1 : range_units_;
  return std::max(0, last);
}

void ParameterRowsView::ScrollTo(int position) {
  position = std::clamp(position, 0, MaxPosition());
  const int moved = position_ - position;
  if (moved == 0) return;
  position_ = position;
  ScrollWindowEx(panel_, 0, moved * ParameterPanel::kScrollUnitPixels, nullptr, nullptr, nullptr, nullptr,
                 SW_SCROLLCHILDREN | SW_INVALIDATE | SW_ERASE);
  SCROLLINFO info = {};
  info.cbSize = sizeof(info);
  info.fMask = SIF_POS;
  info.nPos = position_;
  SetScrollInfo(panel_, SB_VERT, &info, TRUE);
}

}  // namespace orra
