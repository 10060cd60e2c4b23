#include "ui/autocomplete_edit_win32.h"

#include <commctrl.h>

#include <algorithm>
#include <iterator>

#include "ui/scroll_track_position_win32.h"

namespace orra {
namespace {

constexpr wchar_t kListClass[] = L"OrraAutocompleteList";
constexpr UINT_PTR kEditSubclassId = 1;
// The text whose height is a row's.
constexpr wchar_t kRowSample[] = L"Hg";
// Text starts this far from a row's left edge.
constexpr int kTextIndent = 2;
// A row is never flatter than this, even when the font cannot be measured.
constexpr int kMinRowHeight = 8;

const wchar_t* Wide(const std::u16string& text) { return reinterpret_cast<const wchar_t*>(text.c_str()); }

std::u16string WindowText(HWND window) {
  const int length = GetWindowTextLengthW(window);
  if (length <= 0) return {};
  std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
  const int copied = GetWindowTextW(window, text.data(), length + 1);
  text.resize(static_cast<std::size_t>(std::clamp(copied, 0, length)));
  return std::u16string(text.begin(), text.end());
}

// A window's device context with the edit's font selected, given back on leaving scope.
class FontDc {
 public:
  FontDc(HWND window, HWND font_source) : window_(window), dc_(GetDC(window)) {
    const auto font = reinterpret_cast<HFONT>(SendMessageW(font_source, WM_GETFONT, 0, 0));
    if (dc_ != nullptr && font != nullptr) previous_ = SelectObject(dc_, font);
  }
  ~FontDc() {
    if (dc_ == nullptr) return;
    if (previous_ != nullptr) SelectObject(dc_, previous_);
    ReleaseDC(window_, dc_);
  }
  FontDc(const FontDc&) = delete;
  FontDc& operator=(const FontDc&) = delete;

  int Width(std::u16string_view text) const {
    SIZE size = {};
    if (dc_ == nullptr || text.empty()) return 0;
    GetTextExtentPoint32W(dc_, reinterpret_cast<const wchar_t*>(text.data()), static_cast<int>(text.size()), &size);
    return size.cx;
  }
  int Height(const wchar_t* sample) const {
    SIZE size = {};
    if (dc_ != nullptr) GetTextExtentPoint32W(dc_, sample, lstrlenW(sample), &size);
    return size.cy;
  }

 private:
  HWND window_;
  HDC dc_;
  HGDIOBJ previous_ = nullptr;
};

std::optional<EditKey> EditKeyOf(WPARAM key) {
  switch (key) {
    case VK_ESCAPE:
      return EditKey::kEscape;
    case VK_RETURN:
      return EditKey::kEnter;
    case VK_UP:
      return EditKey::kUp;
    case VK_DOWN:
      return EditKey::kDown;
    case VK_PRIOR:
      return EditKey::kPageUp;
    case VK_NEXT:
      return EditKey::kPageDown;
    case VK_HOME:
      return EditKey::kHome;
    case VK_END:
      return EditKey::kEnd;
    default:
      return std::nullopt;
  }
}

}  // namespace

// ---- the list ----

CACListWnd::~CACListWnd() {
  if (window_ != nullptr) DestroyWindow(window_);
}

bool CACListWnd::Create(HWND owner) {
  if (window_ != nullptr) return true;
  // Redrawn whole on resizing; the bits under the short-lived pop-up are kept to restore.
  static WindowClass list_class(kListClass, &CACListWnd::WindowProcedure, CS_HREDRAW | CS_VREDRAW | CS_SAVEBITS,
                                LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW)));
  class_hold_ = list_class.Take();
  if (!class_hold_) return false;
  const HMODULE module = list_class.module();
  window_ = CreateWindowExW(WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE, kListClass, L"", WS_POPUP | WS_BORDER, 0, 0, 0, 0,
                            owner, nullptr, module, this);
  if (window_ == nullptr) {
    class_hold_.reset();
    return false;
  }
  scroll_bar_ = CreateWindowExW(0, L"SCROLLBAR", L"", WS_CHILD | SBS_VERT, 0, 0, 0, 0, window_, nullptr, module, nullptr);
  return scroll_bar_ != nullptr;
}

void CACListWnd::Follow() {
  if (window_ == nullptr || edit_.window() == nullptr) return;
  const AutocompleteList& list = edit_.model().list();
  if (!list.shown()) {
    Hide();
    return;
  }
  {
    const FontDc dc(window_, edit_.window());
    row_height_ = std::max(dc.Height(kRowSample), kMinRowHeight);
  }
  RECT edit_rect = {};
  GetWindowRect(edit_.window(), &edit_rect);
  const int border = GetSystemMetrics(SM_CYBORDER);
  const int width = edit_rect.right - edit_rect.left;
  const int height = static_cast<int>(list.VisibleRows()) * row_height_ + 2 * border;
  SetWindowPos(window_, HWND_TOP, edit_rect.left, edit_rect.bottom, width, height, SWP_NOACTIVATE | SWP_SHOWWINDOW);

  RECT client = {};
  GetClientRect(window_, &client);
  const int bar_width = GetSystemMetrics(SM_CXVSCROLL);
  SetWindowPos(scroll_bar_, nullptr, client.right - bar_width, 0, bar_width, client.bottom, SWP_NOZORDER | SWP_NOACTIVATE);
  ShowWindow(scroll_bar_, list.ScrollBarShown() ? SW_SHOWNA : SW_HIDE);
  SetTimer(window_, kParentCheckTimer, kParentCheckMs, nullptr);
  SetTimer(window_, kMarqueeTimer, kMarqueeMs, nullptr);
  Redraw();
}

void CACListWnd::Glide(const std::vector<std::size_t>& tops) {
  if (window_ == nullptr) return;
  if (edit_.model().list().matches().size() <= kMostMatchesToGlide) {
    for (std::size_t i = 0; i < tops.size(); ++i) {
      if (i > 0) Sleep(kGlideStepMs);
      drawn_top_ = tops[i];
      InvalidateRect(window_, nullptr, FALSE);
      UpdateWindow(window_);
    }
  }
  Redraw();
}

void CACListWnd::Hide() {
  KillTimer(window_, kParentCheckTimer);
  KillTimer(window_, kMarqueeTimer);
  ShowWindow(window_, SW_HIDE);
}

void CACListWnd::Redraw() {
  const AutocompleteList& list = edit_.model().list();
  drawn_top_ = list.top();
  if (list.ScrollBarShown()) {
    SCROLLINFO info = {};
    info.cbSize = sizeof(info);
    info.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
    info.nMin = 0;
    info.nMax = static_cast<int>(list.matches().size()) - 1;
    info.nPage = static_cast<UINT>(AutocompleteList::kPageRows);
    info.nPos = static_cast<int>(list.top());
    SetScrollInfo(scroll_bar_, SB_CTL, &info, TRUE);
  }
  InvalidateRect(window_, nullptr, FALSE);
}

int CACListWnd::RowsWidth() const {
  RECT client = {};
  GetClientRect(window_, &client);
  const bool bar = edit_.model().list().ScrollBarShown();
  return std::max(0, static_cast<int>(client.right) - (bar ? GetSystemMetrics(SM_CXVSCROLL) : 0));
}

std::optional<std::size_t> CACListWnd::RowAt(LPARAM point) const {
  const int x = static_cast<short>(LOWORD(point)), y = static_cast<short>(HIWORD(point));
  if (row_height_ <= 0 || x < 0 || y < 0 || x >= RowsWidth()) return std::nullopt;
  return static_cast<std::size_t>(y / row_height_);
}

void CACListWnd::Paint() {
  PAINTSTRUCT paint;
  const HDC dc = BeginPaint(window_, &paint);
  if (dc == nullptr) return;
  RECT client = {};
  GetClientRect(window_, &client);
  FillRect(dc, &client, GetSysColorBrush(COLOR_WINDOW));
  const auto font = reinterpret_cast<HFONT>(SendMessageW(edit_.window(), WM_GETFONT, 0, 0));
  const HGDIOBJ previous = font != nullptr ? SelectObject(dc, font) : nullptr;
  SetBkMode(dc, TRANSPARENT);
  const AutocompleteList& list = edit_.model().list();
  const int width = RowsWidth();
  for (std::size_t row = 0; row < AutocompleteList::kPageRows; ++row) {
    const std::size_t entry = drawn_top_ + row;
    if (entry >= list.matches().size()) break;
    RECT rect = {0, static_cast<LONG>(row) * row_height_, width, static_cast<LONG>(row + 1) * row_height_};
    const bool highlighted = list.highlight() == entry;
    if (highlighted) FillRect(dc, &rect, GetSysColorBrush(COLOR_HIGHLIGHT));
    SetTextColor(dc, GetSysColor(highlighted ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT));
    const std::u16string_view name = list.matches()[entry].name.substr(list.MarqueeOffset(entry));
    rect.left += kTextIndent;
    DrawTextW(dc, reinterpret_cast<const wchar_t*>(name.data()), static_cast<int>(name.size()), &rect,
              DT_SINGLELINE | DT_VCENTER | DT_LEFT | DT_NOPREFIX);
  }
  if (previous != nullptr) SelectObject(dc, previous);
  EndPaint(window_, &paint);
}

void CACListWnd::OnScroll(WORD request) {
  std::optional<ScrollAction> action;
  std::size_t thumb = 0;
  switch (request) {
    case SB_LINEUP:
      action = ScrollAction::kLineUp;
      break;
    case SB_LINEDOWN:
      action = ScrollAction::kLineDown;
      break;
    case SB_PAGEUP:
      action = ScrollAction::kPageUp;
      break;
    case SB_PAGEDOWN:
      action = ScrollAction::kPageDown;
      break;
    case SB_TOP:
      action = ScrollAction::kTop;
      break;
    case SB_BOTTOM:
      action = ScrollAction::kBottom;
      break;
    case SB_THUMBTRACK:
    case SB_THUMBPOSITION:
      if (const std::optional<int> track = ScrollTrackPosition(scroll_bar_, SB_CTL)) {
        action = ScrollAction::kThumb;
        thumb = static_cast<std::size_t>(std::max(*track, 0));
      }
      break;
    default:
      break;
  }
  if (action && edit_.model().list().Scroll(*action, thumb)) Redraw();
}

std::optional<LRESULT> CACListWnd::Handle(UINT message, WPARAM wparam, LPARAM lparam) {
  AutocompleteList& list = edit_.model().list();
  switch (message) {
    case WM_PAINT:
      Paint();
      return 0;
    case WM_ERASEBKGND:
      return 1;
    case WM_MOUSEACTIVATE:
      return MA_NOACTIVATE;
    case WM_MOUSEMOVE:
      if (const std::optional<std::size_t> row = RowAt(lparam); row && list.HoverRow(*row)) Redraw();
      return 0;
    case WM_LBUTTONDOWN:
      if (const std::optional<std::size_t> row = RowAt(lparam)) {
        if (const std::optional<Acceptance> accepted = edit_.model().OnRowClicked(*row)) edit_.Carry(*accepted);
      }
      return 0;
    case WM_VSCROLL:
      OnScroll(LOWORD(wparam));
      return 0;
    case WM_TIMER:
      if (wparam == kParentCheckTimer) {
        if (list.HideIfParentMoved(edit_.ParentRect())) Hide();
      } else if (wparam == kMarqueeTimer) {
        const FontDc dc(window_, edit_.window());
        if (list.TickMarquee(RowsWidth() - kTextIndent, [&dc](std::u16string_view text) { return dc.Width(text); })) {
          Redraw();
        }
      }
      return 0;
    case WM_ACTIVATEAPP:
      if (wparam == FALSE) {
        list.Hide();
        Hide();
      }
      return 0;
    case WM_KEYDOWN:
      if (wparam == VK_ESCAPE) {
        list.Hide();
        Hide();
        return 0;
      }
      return std::nullopt;
    default:
      return std::nullopt;
  }
}

LRESULT CALLBACK CACListWnd::WindowProcedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  try {
    if (message == WM_NCCREATE) {
      const auto* creation = reinterpret_cast<const CREATESTRUCTW*>(lparam);
      SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(creation->lpCreateParams));
    }
    auto* self = reinterpret_cast<CACListWnd*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (self != nullptr && message == WM_NCDESTROY) {
      // Destroying the owner (the dialog) destroys the list with it.
      self->window_ = nullptr;
      self->scroll_bar_ = nullptr;
    } else if (self != nullptr && self->window_ == window) {
      if (const std::optional<LRESULT> result = self->Handle(message, wparam, lparam)) return *result;
    }
  } catch (...) {
    // A failed paint still has to validate the window, or WM_PAINT would come back at once.
    if (message == WM_PAINT) ValidateRect(window, nullptr);
    if (message != WM_NCCREATE && message != WM_NCDESTROY) return 0;
  }
  return DefWindowProcW(window, message, wparam, lparam);
}

// ---- the edit ----

CACEdit::~CACEdit() { Detach(); }

bool CACEdit::Init(HWND edit) {
  if (edit_ != nullptr || edit == nullptr) return false;
  parent_ = GetParent(edit);
  wchar_t class_name[16] = {};
  GetClassNameW(edit, class_name, static_cast<int>(std::size(class_name)));
  is_edit_ = lstrcmpiW(class_name, L"Edit") == 0;
  if (parent_ == nullptr || !SetWindowSubclass(edit, &CACEdit::EditProcedure, kEditSubclassId,
                                               reinterpret_cast<DWORD_PTR>(this))) {
    return false;
  }
  edit_ = edit;
  // The parent is subclassed once per edit it holds, each under the edit's own object.
  if (!SetWindowSubclass(parent_, &CACEdit::ParentProcedure, reinterpret_cast<UINT_PTR>(this),
                         reinterpret_cast<DWORD_PTR>(this))) {
    Detach();
    return false;
  }
  if (!list_.Create(GetAncestor(edit, GA_ROOT))) {
    Detach();
    return false;
  }
  return true;
}

void CACEdit::Detach() {
  if (edit_ != nullptr) RemoveWindowSubclass(edit_, &CACEdit::EditProcedure, kEditSubclassId);
  if (parent_ != nullptr) RemoveWindowSubclass(parent_, &CACEdit::ParentProcedure, reinterpret_cast<UINT_PTR>(this));
  edit_ = nullptr;
  parent_ = nullptr;
}

void CACEdit::SetHint(bool on) {
  if (edit_ == nullptr) return;
  if (const std::optional<std::u16string> text = model_.SetHint(on, GetFocus() == edit_)) PutText(*text);
}

ScreenRect CACEdit::ParentRect() const {
  RECT rect = {};
  if (parent_ != nullptr) GetWindowRect(parent_, &rect);
  return {rect.left, rect.top, rect.right, rect.bottom};
}

void CACEdit::PutText(const std::u16string& text) { SetWindowTextW(edit_, Wide(text)); }

void CACEdit::Carry(const Acceptance& accepted) {
  accepted_value_ = accepted.value;
  list_.Follow();
  PutText(accepted.text);
  if (is_edit_) {
    const auto end = static_cast<WPARAM>(accepted.text.size());
    SendMessageW(edit_, EM_SETSEL, end, static_cast<LPARAM>(end));
    SendMessageW(edit_, EM_SCROLLCARET, 0, 0);
  }
  if (notify_ != nullptr) PostMessageW(notify_, kAutocompleteChoiceMessage, 0, 0);
}

void CACEdit::OnTextChanged() {
  model_.OnTextChanged(WindowText(edit_), ParentRect());
  list_.Follow();
}

bool CACEdit::OnKeyDown(WPARAM key) {
  const std::optional<EditKey> edit_key = EditKeyOf(key);
  if (!edit_key) return false;
  const KeyOutcome outcome = model_.OnKey(*edit_key);
  if (!outcome.consumed) return false;
  swallow_char_ = key == VK_RETURN || key == VK_ESCAPE;
  if (outcome.accepted) {
    Carry(*outcome.accepted);
  } else if (!model_.list().shown()) {
    list_.Follow();
  } else {
    list_.Glide(outcome.tops);
    if (is_edit_ && outcome.caret) {
      SendMessageW(edit_, EM_SETSEL, static_cast<WPARAM>(*outcome.caret), static_cast<LPARAM>(*outcome.caret));
    }
  }
  return true;
}

std::optional<LRESULT> CACEdit::HandleEdit(UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_GETDLGCODE: {
      // The dialog asks before it takes Enter and Esc for its buttons: while the list is shown,
      // they are the list's.
      const auto* pending = reinterpret_cast<const MSG*>(lparam);
      const LRESULT code = DefSubclassProc(edit_, message, wparam, lparam);
      if (pending != nullptr && pending->message == WM_KEYDOWN && model_.list().shown() &&
          (pending->wParam == VK_RETURN || pending->wParam == VK_ESCAPE)) {
        return code | DLGC_WANTALLKEYS;
      }
      return code;
    }
    case WM_KEYDOWN:
      if (OnKeyDown(wparam)) return 0;
      return std::nullopt;
    case WM_CHAR:
      if (swallow_char_ && (wparam == VK_RETURN || wparam == VK_ESCAPE)) {
        swallow_char_ = false;
        return 0;
      }
      return std::nullopt;
    case WM_SETFOCUS: {
      const LRESULT result = DefSubclassProc(edit_, message, wparam, lparam);
      if (const std::optional<std::u16string> text = model_.OnFocusIn()) PutText(*text);
      return result;
    }
    case WM_KILLFOCUS: {
      const LRESULT result = DefSubclassProc(edit_, message, wparam, lparam);
      const std::optional<std::u16string> text = model_.OnFocusOut();
      list_.Follow();
      if (text) PutText(*text);
      return result;
    }
    default:
      return std::nullopt;
  }
}

LRESULT CALLBACK CACEdit::EditProcedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam, UINT_PTR,
                                        DWORD_PTR self) {
  try {
    auto* edit = reinterpret_cast<CACEdit*>(self);
    if (message == WM_NCDESTROY) {
      edit->Detach();
    } else if (const std::optional<LRESULT> result = edit->HandleEdit(message, wparam, lparam)) {
      return *result;
    }
  } catch (...) {
    // The edit's own handling still runs, so the control keeps working.
  }
  return DefSubclassProc(window, message, wparam, lparam);
}

LRESULT CALLBACK CACEdit::ParentProcedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam, UINT_PTR,
                                          DWORD_PTR self) {
  try {
    auto* edit = reinterpret_cast<CACEdit*>(self);
    if (message == WM_NCDESTROY) {
      edit->Detach();
    } else if (message == WM_COMMAND && HIWORD(wparam) == EN_CHANGE && reinterpret_cast<HWND>(lparam) == edit->edit_) {
      edit->OnTextChanged();
    }
  } catch (...) {
    // The dialog still sees its notification below.
  }
  return DefSubclassProc(window, message, wparam, lparam);
}

}  // namespace orra
