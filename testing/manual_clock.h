#pragma once
// A clock that stands still until the test moves it. The test's thread moves it while the
// code under test may read it on another, so both readings are atomic.

#include <atomic>
#include <cstdint>

#include "common/clock.h"
#include "common/mutex.h"

namespace orra::testing {

class ManualClock final : public Clock {
 public:
  explicit ManualClock(LocalDateTime now, int64_t steady_ms = 0) : now_(now), steady_ms_(steady_ms) {}

  LocalDateTime LocalNow() const override {
    MutexLock lock(mutex_);
    return now_;
  }
  int64_t SteadyMilliseconds() const override { return steady_ms_.load(); }

  void SetLocal(LocalDateTime now) {
    MutexLock lock(mutex_);
    now_ = now;
  }
  void Advance(int64_t ms) { steady_ms_ += ms; }

 private:
  mutable Mutex mutex_;
  LocalDateTime now_ ORRA_GUARDED_BY(mutex_);
  std::atomic<int64_t> steady_ms_;
};

}  // namespace orra::testing
