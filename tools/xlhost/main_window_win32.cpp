#include "tools/xlhost/main_window_win32.h"

namespace orra::xlhost {
namespace {

// Excel's main window class, which some add-ins look for by name.
constexpr wchar_t kClassName[] = L"XLMAIN";
constexpr wchar_t kTitle[] = L"xlhost";

LRESULT CALLBACK WindowProcedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  return DefWindowProcW(window, message, wparam, lparam);
}

}  // namespace

MainWindow::MainWindow() {
  WNDCLASSEXW window_class{};
  window_class.cbSize = sizeof(window_class);
  window_class.lpfnWndProc = WindowProcedure;
  window_class.hInstance = GetModuleHandleW(nullptr);
  window_class.lpszClassName = kClassName;
  // A second window in the process finds the class registered already.
  if (RegisterClassExW(&window_class) == 0 && GetLastError() != ERROR_CLASS_ALREADY_EXISTS) return;
  window_ = CreateWindowExW(0, kClassName, kTitle, WS_OVERLAPPEDWINDOW, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT,
                            CW_USEDEFAULT, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
}

MainWindow::~MainWindow() {
  if (window_ != nullptr) DestroyWindow(window_);
}

}  // namespace orra::xlhost
