#pragma once
// What a test reads off a window: its text (a caption, an edit's contents) and its class name,
// each as a string of the length the window reports, empty when it reports none.

#include <windows.h>

#include <string>

namespace orra::testing {

// Texts longer than this are cut; the tests' windows hold formulas and captions well below it.
constexpr int kWindowTextUnits = 512;
constexpr int kClassNameUnits = 64;

inline std::wstring WindowTextOf(HWND window) {
  wchar_t text[kWindowTextUnits] = {};
  const int n = GetWindowTextW(window, text, kWindowTextUnits);
  return std::wstring(text, n > 0 ? n : 0);
}

inline std::wstring ClassNameOf(HWND window) {
  wchar_t name[kClassNameUnits] = {};
  const int n = GetClassNameW(window, name, kClassNameUnits);
  return std::wstring(name, n > 0 ? n : 0);
}

}  // namespace orra::testing
