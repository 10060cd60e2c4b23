#pragma once
// HiddenWindowTimer: the MainThreadTimer port on Win32. A hidden top-level window made on the
// constructing thread (Excel's main thread) and destroyed with the object; SetTimer and KillTimer
// on it; every WM_TIMER calls `on_tick`, whatever its timer id. The window procedure lets no
// exception out.
//
// The constructing thread only: the window and its timers belong to it, and its message loop
// delivers the ticks.

#include <windows.h>

#include <functional>
#include <optional>

#include "common/window_class_win32.h"
#include "request/rtd_server.h"

namespace orra {

class HiddenWindowTimer final : public MainThreadTimer {
 public:
  explicit HiddenWindowTimer(std::function<void()> on_tick);
  ~HiddenWindowTimer() override;
  HiddenWindowTimer(const HiddenWindowTimer&) = delete;
  HiddenWindowTimer& operator=(const HiddenWindowTimer&) = delete;

  // False when the window could not be made (no window station) or SetTimer failed.
  bool Start(uint32_t id, uint32_t period_ms) override;
  void Stop(uint32_t id) override;

  HWND window() const { return window_; }

 private:
  static LRESULT CALLBACK WindowProcedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam);

  std::function<void()> on_tick_;
  std::optional<WindowClass::Hold> class_hold_;  // before the window, so it goes after it
  HWND window_ = nullptr;
};

}  // namespace orra
