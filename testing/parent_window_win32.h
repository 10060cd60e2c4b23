#pragma once
// ParentWindow: a top-level window of a class of the test program's own, for the controls a test
// makes to live in. Destroyed when it goes; its class goes with it.
//
// The constructing thread only, whose message loop serves the window.

#include <windows.h>

#include <optional>

#include "common/window_class_win32.h"

namespace orra::testing {

class ParentWindow {
 public:
  // A window of class `class_name` (a constant) handled by `procedure`, with `style`, at `place`
  // on the screen. get() is null when no window can be made (no display or Wine's null driver).
  ParentWindow(const wchar_t* class_name, WNDPROC procedure, DWORD style, RECT place)
      : window_class_(class_name, procedure),
        class_hold_(window_class_.Take()) {
    if (!class_hold_) return;
    window_ = CreateWindowExW(0, class_name, L"", style, place.left, place.top, place.right - place.left,
                              place.bottom - place.top, nullptr, nullptr, window_class_.module(), nullptr);
  }
  ~ParentWindow() {
    if (window_ != nullptr) DestroyWindow(window_);
  }
  ParentWindow(const ParentWindow&) = delete;
  ParentWindow& operator=(const ParentWindow&) = delete;

  HWND get() const { return window_; }

 private:
  WindowClass window_class_;
  std::optional<WindowClass::Hold> class_hold_;
  HWND window_ = nullptr;
};

}  // namespace orra::testing
