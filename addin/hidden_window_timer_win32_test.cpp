#include "addin/hidden_window_timer_win32.h"

#include <gtest/gtest.h>

#include <chrono>

#include "testing/message_pump_win32.h"

namespace orra {
namespace {

TEST(HiddenWindowTimerTest, TicksOnlyForTheStartedWindowUntilStopped) {
  int started_ticks = 0;
  int idle_ticks = 0;
  HiddenWindowTimer started([&] { ++started_ticks; });
  HiddenWindowTimer idle([&] { ++idle_ticks; });
  ASSERT_NE(started.window(), nullptr) << "hidden windows need a display or Wine's null driver";
  EXPECT_FALSE(IsWindowVisible(started.window()));

  ASSERT_TRUE(started.Start(TimerWindow::kTimerId, 10));
  EXPECT_TRUE(testing::PumpMessagesUntil([&] { return started_ticks >= 3; }));
  EXPECT_EQ(idle_ticks, 0) << "two objects never share their timer window";

  started.Stop(TimerWindow::kTimerId);
  const int after_stop = started_ticks;
  testing::PumpMessagesUntil([] { return false; }, std::chrono::milliseconds(100));
  EXPECT_EQ(started_ticks, after_stop);
}

TEST(HiddenWindowTimerTest, AnExceptionFromATickStaysInsideTheWindowProcedure) {
  int ticks = 0;
  HiddenWindowTimer timer([&] {
    ++ticks;
    throw 1;
  });
  ASSERT_TRUE(timer.Start(1, 10));
  EXPECT_TRUE(testing::PumpMessagesUntil([&] { return ticks >= 2; }));
}

TEST(HiddenWindowTimerTest, TheWindowClassComesBackAfterTheLastWindowWent) {
  for (int round = 0; round < 2; ++round) {
    int ticks = 0;
    HiddenWindowTimer timer([&] { ++ticks; });
    ASSERT_NE(timer.window(), nullptr) << "round " << round;
    ASSERT_TRUE(timer.Start(1, 10));
    EXPECT_TRUE(testing::PumpMessagesUntil([&] { return ticks >= 1; }));
  }
}

}  // namespace
}  // namespace orra
