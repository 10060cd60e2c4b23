#include "ui/dialog_host_win32.h"

#include <algorithm>

#include "common/this_module_win32.h"

namespace orra {

HINSTANCE ResourceModule() { return ThisModule(); }

DialogHost::~DialogHost() {
  if (window_ != nullptr) DestroyWindow(window_);
}

bool DialogHost::Create(uint16_t template_id, HWND parent) {
  if (window_ != nullptr) return true;
  // WM_INITDIALOG runs inside the call and already stores the window.
  const HWND made = CreateDialogParamW(ResourceModule(), MAKEINTRESOURCEW(template_id), parent,
                                       &DialogHost::DialogProcedure, reinterpret_cast<LPARAM>(this));
  window_ = made;
  return made != nullptr;
}

bool DialogHost::OnCommand(uint16_t, uint16_t) { return false; }

std::optional<INT_PTR> DialogHost::OnMessage(UINT, WPARAM, LPARAM) { return std::nullopt; }

void DialogHost::CentreOverParent() {
  RECT own = {};
  if (window_ == nullptr || !GetWindowRect(window_, &own)) return;
  RECT area = {};
  const HWND parent = GetParent(window_);
  if (parent == nullptr || !GetWindowRect(parent, &area) || IsIconic(parent)) {
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0);
  }
  const LONG width = own.right - own.left;
  const LONG height = own.bottom - own.top;
  // Centred, but never with the caption above the top of the screen.
  const LONG left = area.left + ((area.right - area.left) - width) / 2;
  const LONG top = std::max<LONG>(0, area.top + ((area.bottom - area.top) - height) / 2);
  SetWindowPos(window_, nullptr, left, top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void DialogHost::ShowInFront() {
  ShowWindow(window_, SW_SHOW);
  if (!SetForegroundWindow(window_)) SetActiveWindow(window_);
}

INT_PTR CALLBACK DialogHost::DialogProcedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  try {
    if (message == WM_INITDIALOG) {
      auto* dialog = reinterpret_cast<DialogHost*>(lparam);
      SetWindowLongPtrW(window, DWLP_USER, lparam);
      dialog->window_ = window;
      return dialog->OnInitDialog() ? TRUE : FALSE;
    }
    auto* dialog = reinterpret_cast<DialogHost*>(GetWindowLongPtrW(window, DWLP_USER));
    if (dialog == nullptr) return FALSE;
    if (message == WM_NCDESTROY) {
      // The window is going by other means than the object (its parent was destroyed).
      SetWindowLongPtrW(window, DWLP_USER, 0);
      dialog->window_ = nullptr;
      return FALSE;
    }
    if (message == WM_COMMAND) {
      return dialog->OnCommand(LOWORD(wparam), HIWORD(wparam)) ? TRUE : FALSE;
    }
    if (const std::optional<INT_PTR> answer = dialog->OnMessage(message, wparam, lparam)) return *answer;
  } catch (...) {
    // Unhandled: the default dialog handling answers.
  }
  return FALSE;
}

}  // namespace orra
