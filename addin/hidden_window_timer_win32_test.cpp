#include "addin/hidden_window_timer_win32.h"

#include <gtest/gtest.h>

#include <chrono>

namespace orra {
namespace {

// Delivers the thread's messages until `done` or `limit` has passed.
template <typename Done>
bool PumpUntil(Done done, std::chrono::milliseconds limit) {
  const auto end = std::chrono::steady_clock::now() + limit;
  while (!done()) {
    if (std::chrono::steady_clock::now() >= end) return false;
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&message);
    Sleep(5);
  }
  return true;
}

TEST(HiddenWindowTimerTest, TicksOnlyForTheStartedWindowUntilStopped) {
  int started_ticks = 0;
  int idle_ticks = 0;
  HiddenWindowTimer started([&] { ++started_ticks; });
  HiddenWindowTimer idle([&] { ++idle_ticks; });
  ASSERT_NE(started.window(), nullptr) << "hidden windows need a display or Wine's null driver";
  EXPECT_FALSE(IsWindowVisible(started.window()));

  ASSERT_TRUE(started.Start(TimerWindow::kTimerId, 10));
  EXPECT_TRUE(PumpUntil([&] { return started_ticks >= 3; }, std::chrono::seconds(5)));
  EXPECT_EQ(idle_ticks, 0) << "two objects never share their timer window";

  started.Stop(TimerWindow::kTimerId);
  const int after_stop = started_ticks;
  PumpUntil([] { return false; }, std::chrono::milliseconds(100));
  EXPECT_EQ(started_ticks, after_stop);
}

TEST(HiddenWindowTimerTest, AnExceptionFromATickStaysInsideTheWindowProcedure) {
  int ticks = 0;
  HiddenWindowTimer timer([&] {
    ++ticks;
    throw 1;
  });
  ASSERT_TRUE(timer.Start(1, 10));
  EXPECT_TRUE(PumpUntil([&] { return ticks >= 2; }, std::chrono::seconds(5)));
}

TEST(HiddenWindowTimerTest, TheWindowClassComesBackAfterTheLastWindowWent) {
  for (int round = 0; round < 2; ++round) {
    int ticks = 0;
    HiddenWindowTimer timer([&] { ++ticks; });
    ASSERT_NE(timer.window(), nullptr) << "round " << round;
    ASSERT_TRUE(timer.Start(1, 10));
    EXPECT_TRUE(PumpUntil([&] { return ticks >= 1; }, std::chrono::seconds(5)));
  }
}

}  // namespace
}  // namespace orra
