#pragma once
// Waiting in tests for what another thread does, bounded in time so a fault fails the test
// instead of hanging it.

#include <chrono>
#include <thread>

namespace orra::testing {

// Polls `done` every millisecond for at most `limit_ms`.
template <typename Predicate>
bool WaitUntil(Predicate done, int limit_ms = 10000) {
  for (int waited = 0; waited < limit_ms; ++waited) {
    if (done()) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  return done();
}

}  // namespace orra::testing
