#pragma once
// The stand-in for Excel's main window: a real top-level window of Excel's class name, never
// shown, which Application.Hwnd answers and which the add-in makes the owner of its message
// boxes and dialogs.
//
// Made and destroyed on the main thread.

#include <windows.h>

namespace orra::xlhost {

class MainWindow {
 public:
  MainWindow();
  ~MainWindow();
  MainWindow(const MainWindow&) = delete;
  MainWindow& operator=(const MainWindow&) = delete;

  // Null when the window could not be made (no display and no null graphics driver).
  HWND handle() const { return window_; }

 private:
  HWND window_ = nullptr;
};

}  // namespace orra::xlhost
