#include "common/window_class_win32.h"

#include <gtest/gtest.h>

#include <optional>
#include <utility>

namespace orra {
namespace {

constexpr wchar_t kClassName[] = L"OrraWindowClassTest";

bool Registered(const WindowClass& window_class) {
  WNDCLASSEXW found = {};
  found.cbSize = sizeof(found);
  return GetClassInfoExW(window_class.module(), window_class.name(), &found) != 0;
}

TEST(WindowClassTest, RegisteredFromTheFirstHoldUntilTheLastIsGivenBack) {
  WindowClass window_class(kClassName, DefWindowProcW);
  EXPECT_FALSE(Registered(window_class));
  std::optional<WindowClass::Hold> first = window_class.Take();
  ASSERT_TRUE(first.has_value());
  EXPECT_TRUE(Registered(window_class));
  std::optional<WindowClass::Hold> second = window_class.Take();
  ASSERT_TRUE(second.has_value());

  first.reset();
  EXPECT_TRUE(Registered(window_class)) << "one hold is left";
  {
    const WindowClass::Hold moved(std::move(*second));
    second.reset();
    EXPECT_TRUE(Registered(window_class)) << "a moved-from hold gives nothing back";
  }
  EXPECT_FALSE(Registered(window_class));

  // Taken again after the class went: registered again.
  const std::optional<WindowClass::Hold> again = window_class.Take();
  ASSERT_TRUE(again.has_value());
  HWND window = CreateWindowExW(0, kClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, window_class.module(),
                                nullptr);
  EXPECT_NE(window, nullptr) << "windows need a display or Wine's null driver";
  if (window != nullptr) DestroyWindow(window);
}

TEST(WindowClassTest, AClassRegisteredElsewhereServesAndIsTakenAlongWithTheLastHold) {
  WindowClass window_class(kClassName, DefWindowProcW);
  WNDCLASSEXW description = {};
  description.cbSize = sizeof(description);
  description.lpfnWndProc = DefWindowProcW;
  description.hInstance = window_class.module();
  description.lpszClassName = kClassName;
  ASSERT_NE(RegisterClassExW(&description), 0);
  {
    const std::optional<WindowClass::Hold> hold = window_class.Take();
    EXPECT_TRUE(hold.has_value());
  }
  EXPECT_FALSE(Registered(window_class));
}

}  // namespace
}  // namespace orra
