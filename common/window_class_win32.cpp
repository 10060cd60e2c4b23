#include "common/window_class_win32.h"

#include "common/this_module_win32.h"

namespace orra {

WindowClass::WindowClass(const wchar_t* name, WNDPROC procedure, UINT style, HCURSOR cursor) noexcept
    : description_{} {
  description_.cbSize = sizeof(description_);
  description_.style = style;
  description_.lpfnWndProc = procedure;
  description_.hInstance = ThisModule();
  description_.hCursor = cursor;
  description_.lpszClassName = name;
}

std::optional<WindowClass::Hold> WindowClass::Take() {
  MutexLock lock(mutex_);
  if (holds_ == 0 && RegisterClassExW(&description_) == 0 && GetLastError() != ERROR_CLASS_ALREADY_EXISTS) {
    return std::nullopt;
  }
  ++holds_;
  return Hold(*this);
}

void WindowClass::GiveBack() noexcept {
  MutexLock lock(mutex_);
  if (--holds_ == 0) UnregisterClassW(description_.lpszClassName, description_.hInstance);
}

}  // namespace orra
