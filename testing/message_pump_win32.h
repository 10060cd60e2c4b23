#pragma once
// PumpMessagesUntil: the test thread's message loop, as Excel's main thread runs one, until
// `done` holds or `limit` has passed: timers tick, posted messages arrive and calls marshalled
// into the thread's apartment are served only while it runs. Bounded in time, so a fault fails
// the test instead of hanging it.

#include <windows.h>

#include <chrono>

namespace orra::testing {

// The longest the loop sleeps between two looks at `done` when no message comes.
constexpr DWORD kMessageWaitMs = 5;

// Long enough for a timer's few ticks or a retried call on a loaded machine.
constexpr std::chrono::milliseconds kPumpLimit{5000};

// True when `done` held in time.
template <typename Done>
bool PumpMessagesUntil(Done done, std::chrono::milliseconds limit = kPumpLimit) {
  const auto end = std::chrono::steady_clock::now() + limit;
  while (!done()) {
    if (std::chrono::steady_clock::now() >= end) return false;
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&message);
    MsgWaitForMultipleObjects(0, nullptr, FALSE, kMessageWaitMs, QS_ALLINPUT);
  }
  return true;
}

}  // namespace orra::testing
