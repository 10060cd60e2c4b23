#include "addin/hidden_window_timer_win32.h"

#include "common/mutex.h"

namespace orra {
namespace {

constexpr wchar_t kWindowClass[] = L"OrraTimerWindow";

HMODULE ThisModule() {
  HMODULE module = nullptr;
  GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                     reinterpret_cast<LPCWSTR>(&ThisModule), &module);
  return module;
}

// The window class lives while some window of it does. Windows keeps a DLL's class after the
// DLL is unloaded; a class left behind would point a reloaded DLL's windows at the old address
// of the procedure, so the last window takes the class with it.
struct WindowClassUsers {
  Mutex mutex;
  int count ORRA_GUARDED_BY(mutex) = 0;
};

WindowClassUsers& Users() {
  static WindowClassUsers users;
  return users;
}

}  // namespace

HiddenWindowTimer::HiddenWindowTimer(std::function<void()> on_tick) : on_tick_(std::move(on_tick)) {
  const HMODULE module = ThisModule();
  WindowClassUsers& users = Users();
  MutexLock lock(users.mutex);
  if (users.count == 0) {
    WNDCLASSEXW window_class = {};
    window_class.cbSize = sizeof(window_class);
    window_class.lpfnWndProc = &HiddenWindowTimer::WindowProcedure;
    window_class.hInstance = module;
    window_class.lpszClassName = kWindowClass;
    if (RegisterClassExW(&window_class) == 0 && GetLastError() != ERROR_CLASS_ALREADY_EXISTS) return;
  }
  window_ = CreateWindowExW(0, kWindowClass, L"", WS_OVERLAPPED, 0, 0, 0, 0, nullptr, nullptr, module, this);
  if (window_ != nullptr) {
    ++users.count;
  } else if (users.count == 0) {
    UnregisterClassW(kWindowClass, module);
  }
}

HiddenWindowTimer::~HiddenWindowTimer() {
  if (window_ == nullptr) return;
  // Destroying the window kills its timers.
  DestroyWindow(window_);
  WindowClassUsers& users = Users();
  MutexLock lock(users.mutex);
  if (--users.count == 0) UnregisterClassW(kWindowClass, ThisModule());
}

bool HiddenWindowTimer::Start(uint32_t id, uint32_t period_ms) {
  return window_ != nullptr && SetTimer(window_, id, period_ms, nullptr) != 0;
}

void HiddenWindowTimer::Stop(uint32_t id) {
  if (window_ != nullptr) KillTimer(window_, id);
}

LRESULT CALLBACK HiddenWindowTimer::WindowProcedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  try {
    if (message == WM_NCCREATE) {
      const auto* creation = reinterpret_cast<const CREATESTRUCTW*>(lparam);
      SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(creation->lpCreateParams));
    } else if (message == WM_TIMER) {
      auto* timer = reinterpret_cast<HiddenWindowTimer*>(GetWindowLongPtrW(window, GWLP_USERDATA));
      if (timer != nullptr && timer->on_tick_) timer->on_tick_();
      return 0;
    }
  } catch (...) {
    if (message == WM_TIMER) return 0;
  }
  return DefWindowProcW(window, message, wparam, lparam);
}

}  // namespace orra
