// The real process under Wine: a wait dispatches the thread's timer messages, as the add-in's
// hidden windows need, and the thread count sees a thread come and go.
#include "tools/xlhost/host_process.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

namespace orra::xlhost {
namespace {

int g_ticks = 0;

void CALLBACK CountTick(HWND, UINT, UINT_PTR, DWORD) { ++g_ticks; }

TEST(HostProcessTest, PumpingDispatchesTimersForAboutTheTimeAsked) {
  const std::unique_ptr<HostProcess> host = StartHostProcess();
  ASSERT_NE(host, nullptr);
  g_ticks = 0;
  const UINT_PTR timer = SetTimer(nullptr, 0, 10, CountTick);
  ASSERT_NE(timer, 0u);
  const int64_t start = host->NowMs();
  host->PumpMessages(300);
  const int64_t waited = host->NowMs() - start;
  KillTimer(nullptr, timer);
  EXPECT_GE(waited, 300);
  EXPECT_LT(waited, 2000);
  EXPECT_GE(g_ticks, 3) << "a timer of the thread fires only while its messages are dispatched";
}

TEST(HostProcessTest, CountsTheThreadsOfThisProcess) {
  const std::unique_ptr<HostProcess> host = StartHostProcess();
  ASSERT_NE(host, nullptr);
  const std::optional<size_t> before = host->ThreadCount();
  ASSERT_TRUE(before);
  std::atomic<bool> stop{false};
  std::thread worker([&stop] {
    while (!stop) Sleep(1);
  });
  const std::optional<size_t> during = host->ThreadCount();
  stop = true;
  worker.join();
  EXPECT_EQ(during, *before + 1);
  EXPECT_EQ(host->ThreadCount(), before);
}

}  // namespace
}  // namespace orra::xlhost
