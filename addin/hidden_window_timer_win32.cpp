#include "addin/hidden_window_timer_win32.h"

namespace orra {
namespace {

constexpr wchar_t kWindowClass[] = L"OrraTimerWindow";

}  // namespace

HiddenWindowTimer::HiddenWindowTimer(std::function<void()> on_tick) : on_tick_(std::move(on_tick)) {
  static WindowClass window_class(kWindowClass, &HiddenWindowTimer::WindowProcedure);
  class_hold_ = window_class.Take();
  if (!class_hold_) return;
  window_ = CreateWindowExW(0, kWindowClass, L"", WS_OVERLAPPED, 0, 0, 0, 0, nullptr, nullptr, window_class.module(),
                            this);
  if (window_ == nullptr) class_hold_.reset();
}

HiddenWindowTimer::~HiddenWindowTimer() {
  // Destroying the window kills its timers; the class goes after it, with the hold.
  if (window_ != nullptr) DestroyWindow(window_);
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
