#include "tools/xlhost/window_driver_win32.h"

#include <windows.h>
#include <commctrl.h>

#include <cstring>
#include <string_view>
#include <utility>

#include "common/utf8.h"

namespace orra::xlhost {
namespace {

// How long a window's thread has to answer one message before the step fails: far more than
// any control needs, so that only a thread that hangs reaches it.
constexpr UINT kAnswerMs = 5000;
// How long a screenshot waits for the window's pending paints.
constexpr DWORD kPaintWaitMs = 2000;
constexpr DWORD kPaintPollMs = 10;
// Longest text read from a control, and from a tree or list item.
constexpr size_t kMaxTextUnits = 65536;
constexpr int kMaxItemTextUnits = 1024;
// Bound of every walk over items and windows, so that a control answering nonsense cannot keep
// a step in a loop.
constexpr int kMaxItems = 1000000;
constexpr size_t kMaxCaptionUnits = 512;

constexpr LPARAM kKeyRepeatOnce = 1;
constexpr LPARAM kKeyExtended = LPARAM{1} << 24;
constexpr LPARAM kKeyWasDown = LPARAM{1} << 30;
constexpr LPARAM kKeyReleased = LPARAM{1} << 31;

const wchar_t* Wide(const std::u16string& text) { return reinterpret_cast<const wchar_t*>(text.c_str()); }

std::string Narrow(std::u16string_view text) { return '"' + ToUtf8(text) + '"'; }

// The caption as the window keeps it, read without a message, so that a hung thread's window
// is still found.
std::u16string Caption(HWND window) {
  std::u16string text(kMaxCaptionUnits, u'\0');
  const int length = InternalGetWindowText(window, reinterpret_cast<wchar_t*>(text.data()), static_cast<int>(text.size()));
  text.resize(length > 0 ? static_cast<size_t>(length) : 0);
  return text;
}

std::u16string ClassOf(HWND window) {
  wchar_t name[64] = {};
  const int length = GetClassNameW(window, name, 64);
  return std::u16string(reinterpret_cast<const char16_t*>(name), length > 0 ? static_cast<size_t>(length) : 0);
}

// A window without a caption (a drop-down list) is addressed by its class instead.
constexpr std::u16string_view kClassAddress = u"class:";

bool Addressed(HWND window, std::u16string_view address) {
  if (address.starts_with(kClassAddress)) return ClassOf(window) == address.substr(kClassAddress.size());
  return Caption(window) == address;
}

struct CaptionSearch {
  std::u16string caption;
  std::vector<HWND> found;  // in z-order, the topmost first
};

BOOL CALLBACK CollectTopWindow(HWND window, LPARAM context) {
  auto& search = *reinterpret_cast<CaptionSearch*>(context);
  DWORD process = 0;
  GetWindowThreadProcessId(window, &process);
  if (process == GetCurrentProcessId() && Addressed(window, search.caption)) search.found.push_back(window);
  return search.found.size() < static_cast<size_t>(kMaxItems);
}

std::vector<HWND> TopWindows(const std::u16string& caption) {
  CaptionSearch search{caption, {}};
  EnumWindows(CollectTopWindow, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

HWND VisibleWindow(const std::u16string& caption, std::string& error) {
  for (HWND window : TopWindows(caption)) {
    if (IsWindowVisible(window)) return window;
  }
  error = "no visible window of this process is captioned " + Narrow(caption);
  return nullptr;
}

struct IdSearch {
  int id;
  HWND found = nullptr;
};

BOOL CALLBACK FindById(HWND window, LPARAM context) {
  auto& search = *reinterpret_cast<IdSearch*>(context);
  if (GetDlgCtrlID(window) != search.id) return TRUE;
  search.found = window;
  return FALSE;
}

// The control with the id anywhere inside the visible window with the caption; when `class_name`
// is given, only one of that window class.
HWND FindControl(const ControlAddress& address, const wchar_t* class_name, const char* kind, std::string& error) {
  const HWND window = VisibleWindow(address.caption, error);
  if (window == nullptr) return nullptr;
  HWND control = GetDlgItem(window, address.id);
  if (control == nullptr) {
    IdSearch search{address.id};
    EnumChildWindows(window, FindById, reinterpret_cast<LPARAM>(&search));
    control = search.found;
  }
  if (control == nullptr) {
    error = "the window " + Narrow(address.caption) + " has no control " + std::to_string(address.id);
    return nullptr;
  }
  if (class_name != nullptr && lstrcmpiW(Wide(ClassOf(control)), class_name) != 0) {
    error = "control " + std::to_string(address.id) + " is a " + ToUtf8(ClassOf(control)) + ", not " + kind;
    return nullptr;
  }
  return control;
}

// A message whose answer is needed or which carries a pointer: sent and waited for, bounded.
std::optional<LRESULT> Send(HWND window, UINT message, WPARAM wparam, LPARAM lparam, std::string& error) {
  DWORD_PTR answer = 0;
  if (SendMessageTimeoutW(window, message, wparam, lparam, SMTO_NORMAL | SMTO_ABORTIFHUNG, kAnswerMs, &answer) == 0) {
    error = "the window's thread did not answer within " + std::to_string(kAnswerMs) + " ms";
    return std::nullopt;
  }
  return static_cast<LRESULT>(answer);
}

// Input that may open a modal loop (a click that shows a message box): queued ahead of the
// thread's posted messages as a send is, and awaited by a second, empty message, which the
// thread answers once the input is handled or from inside the modal loop it started.
bool Deliver(HWND window, UINT message, WPARAM wparam, LPARAM lparam, std::string& error) {
  if (!SendNotifyMessageW(window, message, wparam, lparam)) {
    error = "the message could not be delivered (error " + std::to_string(GetLastError()) + ")";
    return false;
  }
  return Send(window, WM_NULL, 0, 0, error).has_value();
}

std::optional<std::u16string> TreeItemText(HWND tree, HTREEITEM item, std::string& error) {
  std::u16string text(kMaxItemTextUnits, u'\0');
  TVITEMW request{};
  request.mask = TVIF_TEXT;
  request.hItem = item;
  request.pszText = reinterpret_cast<wchar_t*>(text.data());
  request.cchTextMax = kMaxItemTextUnits;
  if (!Send(tree, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&request), error)) return std::nullopt;
  text.resize(std::u16string_view(text.c_str()).size());
  return text;
}

std::optional<std::u16string> ListItemText(HWND list, int row, int column, std::string& error) {
  std::u16string text(kMaxItemTextUnits, u'\0');
  LVITEMW request{};
  request.iSubItem = column;
  request.pszText = reinterpret_cast<wchar_t*>(text.data());
  request.cchTextMax = kMaxItemTextUnits;
  if (!Send(list, LVM_GETITEMTEXTW, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&request), error)) {
    return std::nullopt;
  }
  text.resize(std::u16string_view(text.c_str()).size());
  return text;
}

std::optional<int> ListRowCount(HWND list, std::string& error) {
  const auto count = Send(list, LVM_GETITEMCOUNT, 0, 0, error);
  if (!count) return std::nullopt;
  if (*count < 0 || *count > kMaxItems) {
    error = "the list view claims " + std::to_string(*count) + " rows";
    return std::nullopt;
  }
  return static_cast<int>(*count);
}

// The character a key types when pressed alone, as TranslateMessage makes it; 0 for none.
wchar_t CharacterOf(uint16_t virtual_key) {
  switch (virtual_key) {
    case VK_BACK: return L'\b';
    case VK_TAB: return L'\t';
    case VK_RETURN: return L'\r';
    case VK_ESCAPE: return L'\x1B';
    case VK_SPACE: return L' ';
    default: break;
  }
  if (virtual_key >= 'A' && virtual_key <= 'Z') return static_cast<wchar_t>(virtual_key - 'A' + 'a');
  if (virtual_key >= '0' && virtual_key <= '9') return static_cast<wchar_t>(virtual_key);
  return 0;
}

bool IsExtendedKey(uint16_t virtual_key) {
  return (virtual_key >= VK_PRIOR && virtual_key <= VK_DOWN) || virtual_key == VK_INSERT || virtual_key == VK_DELETE;
}

// The GDI objects of a capture, each given back however the capture ends.
struct WindowDc {
  HWND window;
  HDC dc;
  ~WindowDc() {
    if (dc != nullptr) ReleaseDC(window, dc);
  }
};
struct MemoryDc {
  HDC dc;
  ~MemoryDc() {
    if (dc != nullptr) DeleteDC(dc);
  }
};
struct Bitmap {
  HBITMAP bitmap;
  ~Bitmap() {
    if (bitmap != nullptr) DeleteObject(bitmap);
  }
};

BOOL CALLBACK CollectChild(HWND window, LPARAM context) {
  auto& windows = *reinterpret_cast<std::vector<HWND>*>(context);
  windows.push_back(window);
  return windows.size() < static_cast<size_t>(kMaxItems);
}

// Whether the window and every child have painted what was invalidated.
bool Painted(HWND window) {
  std::vector<HWND> windows{window};
  EnumChildWindows(window, CollectChild, reinterpret_cast<LPARAM>(&windows));
  for (HWND each : windows) {
    if (GetUpdateRect(each, nullptr, FALSE)) return false;
  }
  return true;
}

class Win32WindowDriver final : public WindowDriver {
 public:
  WindowPresence Presence(const std::u16string& caption) override {
    const std::vector<HWND> windows = TopWindows(caption);
    if (windows.empty()) return WindowPresence::kAbsent;
    const HWND foreground = GetForegroundWindow();
    for (HWND window : windows) {
      if (IsWindowVisible(window)) return window == foreground ? WindowPresence::kActive : WindowPresence::kVisible;
    }
    return WindowPresence::kHidden;
  }

  bool SetText(const ControlAddress& address, const std::u16string& text, std::string& error) override {
    const HWND control = FindControl(address, nullptr, nullptr, error);
    if (control == nullptr) return false;
    const auto set = Send(control, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(Wide(text)), error);
    if (set && *set != TRUE) error = "the control refused the text";
    return set == TRUE;
  }

  bool Type(const ControlAddress& address, const std::u16string& text, std::string& error) override {
    const HWND control = FindControl(address, nullptr, nullptr, error);
    if (control == nullptr) return false;
    for (const char16_t unit : text) {
      if (!Deliver(control, WM_CHAR, unit, kKeyRepeatOnce, error)) return false;
    }
    return true;
  }

  bool Key(const ControlAddress& address, uint16_t virtual_key, std::string& error) override {
    const HWND control = FindControl(address, nullptr, nullptr, error);
    if (control == nullptr) return false;
    const UINT scan = MapVirtualKeyW(virtual_key, MAPVK_VK_TO_VSC);
    const LPARAM down = kKeyRepeatOnce | (static_cast<LPARAM>(scan & 0xFF) << 16) |
                        (IsExtendedKey(virtual_key) ? kKeyExtended : 0);
    if (!Deliver(control, WM_KEYDOWN, virtual_key, down, error)) return false;
    const wchar_t character = CharacterOf(virtual_key);
    if (character != 0 && !Deliver(control, WM_CHAR, character, down, error)) return false;
    return Deliver(control, WM_KEYUP, virtual_key, down | kKeyWasDown | kKeyReleased, error);
  }

  bool Press(const ControlAddress& address, std::string& error) override {
    const HWND button = FindControl(address, WC_BUTTONW, "a button", error);
    if (button == nullptr) return false;
    if (!IsWindowEnabled(button) || !IsWindowVisible(button)) {
      error = "button " + std::to_string(address.id) + " is disabled or hidden";
      return false;
    }
    return Deliver(button, BM_CLICK, 0, 0, error);
  }

  bool Choose(const ControlAddress& address, const std::u16string& item, std::string& error) override {
    const HWND combo = FindControl(address, WC_COMBOBOXW, "a combo box", error);
    if (combo == nullptr) return false;
    const auto index = Send(combo, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(Wide(item)), error);
    if (!index) return false;
    if (*index == CB_ERR) {
      error = "the combo box has no item " + Narrow(item);
      return false;
    }
    if (!Send(combo, CB_SETCURSEL, static_cast<WPARAM>(*index), 0, error)) return false;
    // A selection made by the program is not announced; the user's is.
    return Deliver(GetParent(combo), WM_COMMAND, MAKEWPARAM(address.id, CBN_SELCHANGE), reinterpret_cast<LPARAM>(combo),
                   error);
  }

  bool SelectTreeItem(const ControlAddress& address, const std::vector<std::u16string>& path, bool double_click,
                      std::string& error) override {
    const HWND tree = FindControl(address, WC_TREEVIEWW, "a tree view", error);
    if (tree == nullptr) return false;
    HTREEITEM item = nullptr;
    for (size_t depth = 0; depth < path.size(); ++depth) {
      if (depth > 0 && !Send(tree, TVM_EXPAND, TVE_EXPAND, reinterpret_cast<LPARAM>(item), error)) return false;
      const auto first = Send(tree, TVM_GETNEXTITEM, depth == 0 ? TVGN_ROOT : TVGN_CHILD,
                              reinterpret_cast<LPARAM>(item), error);
      if (!first) return false;
      auto candidate = reinterpret_cast<HTREEITEM>(*first);
      HTREEITEM match = nullptr;
      for (int seen = 0; candidate != nullptr && match == nullptr && seen < kMaxItems; ++seen) {
        const auto text = TreeItemText(tree, candidate, error);
        if (!text) return false;
        if (*text == path[depth]) {
          match = candidate;
          break;
        }
        const auto next = Send(tree, TVM_GETNEXTITEM, TVGN_NEXT, reinterpret_cast<LPARAM>(candidate), error);
        if (!next) return false;
        candidate = reinterpret_cast<HTREEITEM>(*next);
      }
      if (match == nullptr) {
        error = "the tree has no item " + Narrow(path[depth]) + (depth == 0 ? " at its root" : " under " + Narrow(path[depth - 1]));
        return false;
      }
      item = match;
    }
    if (!Send(tree, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(item), error) ||
        !Send(tree, TVM_ENSUREVISIBLE, 0, reinterpret_cast<LPARAM>(item), error)) {
      return false;
    }
    if (!double_click) return true;
    // The double click lands on the item's text, where the tree finds it again and tells its
    // parent (NM_DBLCLK), expanding or collapsing the item when the parent leaves it.
    // TVM_GETITEMRECT reads the item's handle from where the rectangle starts.
    RECT rect{};
    static_assert(sizeof(rect) >= sizeof(item));
    std::memcpy(&rect, &item, sizeof(item));
    const auto shown = Send(tree, TVM_GETITEMRECT, TRUE, reinterpret_cast<LPARAM>(&rect), error);
    if (!shown) return false;
    if (*shown == FALSE) {
      error = "the tree item " + Narrow(path.back()) + " is not on screen";
      return false;
    }
    return Deliver(tree, WM_LBUTTONDBLCLK, MK_LBUTTON,
                   MAKELPARAM((rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2), error);
  }

  bool SelectRows(const ControlAddress& address, const std::vector<std::u16string>& texts, std::string& error) override {
    const HWND list = FindControl(address, WC_LISTVIEWW, "a list view", error);
    if (list == nullptr) return false;
    const auto rows = ListRowCount(list, error);
    if (!rows) return false;
    LVITEMW state{};
    state.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    // Every row off first (-1: all rows), then the wanted ones on.
    if (!Send(list, LVM_SETITEMSTATE, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&state), error)) return false;
    std::vector<bool> found(texts.size());
    bool focused = false;
    for (int row = 0; row < *rows; ++row) {
      const auto text = ListItemText(list, row, 0, error);
      if (!text) return false;
      bool wanted = false;
      for (size_t i = 0; i < texts.size(); ++i) {
        if (texts[i] == *text) wanted = found[i] = true;
      }
      if (!wanted) continue;
      state.state = LVIS_SELECTED | (focused ? 0 : LVIS_FOCUSED);
      if (!Send(list, LVM_SETITEMSTATE, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&state), error)) return false;
      if (!focused && !Send(list, LVM_ENSUREVISIBLE, static_cast<WPARAM>(row), FALSE, error)) return false;
      focused = true;
    }
    for (size_t i = 0; i < texts.size(); ++i) {
      if (!found[i]) {
        error = "no row of the list view holds " + Narrow(texts[i]);
        return false;
      }
    }
    return true;
  }

  std::optional<std::u16string> Text(const ControlAddress& address, std::string& error) override {
    const HWND control = FindControl(address, nullptr, nullptr, error);
    if (control == nullptr) return std::nullopt;
    const auto length = Send(control, WM_GETTEXTLENGTH, 0, 0, error);
    if (!length) return std::nullopt;
    std::u16string text(std::min(static_cast<size_t>(std::max<LRESULT>(*length, 0)), kMaxTextUnits) + 1, u'\0');
    const auto copied = Send(control, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()), error);
    if (!copied) return std::nullopt;
    text.resize(std::min(static_cast<size_t>(std::max<LRESULT>(*copied, 0)), text.size() - 1));
    return text;
  }

  std::optional<bool> Checked(const ControlAddress& address, std::string& error) override {
    const HWND button = FindControl(address, WC_BUTTONW, "a button", error);
    if (button == nullptr) return std::nullopt;
    const auto state = Send(button, BM_GETCHECK, 0, 0, error);
    if (!state) return std::nullopt;
    return *state == BST_CHECKED;
  }

  std::optional<std::vector<std::u16string>> ColumnTexts(const ControlAddress& address, int32_t column,
                                                         std::string& error) override {
    const HWND list = FindControl(address, WC_LISTVIEWW, "a list view", error);
    if (list == nullptr) return std::nullopt;
    const auto rows = ListRowCount(list, error);
    if (!rows) return std::nullopt;
    std::vector<std::u16string> texts;
    for (int row = 0; row < *rows; ++row) {
      auto text = ListItemText(list, row, column, error);
      if (!text) return std::nullopt;
      texts.push_back(std::move(*text));
    }
    return texts;
  }

  std::optional<WindowPicture> Capture(const std::u16string& caption, std::string& error) override {
    const HWND window = VisibleWindow(caption, error);
    if (window == nullptr) return std::nullopt;
    // Everything is drawn afresh, by the window's own thread, before the picture is taken.
    RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN);
    const DWORD start = GetTickCount();
    for (;;) {
      if (!Send(window, WM_NULL, 0, 0, error)) return std::nullopt;
      if (Painted(window)) {
        // A control's update region empties when it begins to paint, not when it is done: one
        // more message through its thread lets a painting still under way end before the copy.
        if (!Send(window, WM_NULL, 0, 0, error)) return std::nullopt;
        break;
      }
      if (GetTickCount() - start > kPaintWaitMs) {
        error = "the window had not painted itself after " + std::to_string(kPaintWaitMs) + " ms";
        return std::nullopt;
      }
      Sleep(kPaintPollMs);
    }
    RECT frame{};
    RECT client{};
    POINT client_origin{0, 0};
    if (!GetWindowRect(window, &frame) || !GetClientRect(window, &client) || !ClientToScreen(window, &client_origin)) {
      error = "the window's rectangle cannot be read";
      return std::nullopt;
    }
    WindowPicture shot;
    shot.picture.width = frame.right - frame.left;
    shot.picture.height = frame.bottom - frame.top;
    shot.client = PictureArea{client_origin.x - frame.left, client_origin.y - frame.top, client.right, client.bottom};
    if (shot.picture.width <= 0 || shot.picture.height <= 0) {
      error = "the window has no area";
      return std::nullopt;
    }
    const WindowDc source{window, GetWindowDC(window)};
    const MemoryDc memory{CreateCompatibleDC(source.dc)};
    BITMAPINFO format{};
    format.bmiHeader.biSize = sizeof(format.bmiHeader);
    format.bmiHeader.biWidth = shot.picture.width;
    format.bmiHeader.biHeight = -shot.picture.height;  // top row first
    format.bmiHeader.biPlanes = 1;
    format.bmiHeader.biBitCount = 32;
    format.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    const Bitmap bitmap{source.dc != nullptr ? CreateDIBSection(source.dc, &format, DIB_RGB_COLORS, &bits, nullptr, 0)
                                             : nullptr};
    if (memory.dc == nullptr || bitmap.bitmap == nullptr || bits == nullptr) {
      error = "no device context or bitmap for the picture";
      return std::nullopt;
    }
    const HGDIOBJ previous = SelectObject(memory.dc, bitmap.bitmap);
    const bool copied = BitBlt(memory.dc, 0, 0, shot.picture.width, shot.picture.height, source.dc, 0, 0, SRCCOPY) != 0;
    GdiFlush();
    SelectObject(memory.dc, previous);
    if (!copied) {
      error = "the window's pixels cannot be copied (error " + std::to_string(GetLastError()) + ")";
      return std::nullopt;
    }
    const auto* pixels = static_cast<const uint32_t*>(bits);
    const size_t count = static_cast<size_t>(shot.picture.width) * static_cast<size_t>(shot.picture.height);
    shot.picture.pixels.reserve(count);
    // The DIB holds blue, green, red and an unused byte: 0x00RRGGBB once the top byte is cleared.
    for (size_t i = 0; i < count; ++i) shot.picture.pixels.push_back(pixels[i] & 0xFFFFFF);
    return shot;
  }
};

}  // namespace

std::unique_ptr<WindowDriver> MakeWin32WindowDriver() { return std::make_unique<Win32WindowDriver>(); }

}  // namespace orra::xlhost
