#pragma once
// The time as the system reads it: local calendar time (relative-date defaults, log stamps)
// and a monotonic millisecond count (timeouts). Process-wide and replaceable, so that tests
// can fix "today" and move time forward by hand.

#include <cstdint>

namespace orra {

struct LocalDateTime {
  int year = 0;
  int month = 0;  // 1..12
  int day = 0;    // 1..31
  int hour = 0;
  int minute = 0;
  int second = 0;
  int millisecond = 0;
  int day_of_week = 0;  // 0 = Sunday

  // year * 10000 + month * 100 + day
  int32_t Yyyymmdd() const { return year * 10000 + month * 100 + day; }
};

class Clock {
 public:
  virtual ~Clock() = default;
  virtual LocalDateTime LocalNow() const = 0;
  virtual int64_t SteadyMilliseconds() const = 0;
};

// The platform's clock.
const Clock& SystemClock();

// The clock in use: SystemClock() unless a test installed another.
const Clock& CurrentClock();
// Installs `clock` (the caller keeps it alive) or, with nullptr, the system clock again.
void SetClockForTesting(const Clock* clock);

// A clock that stands still until told to move.
class ManualClock : public Clock {
 public:
  explicit ManualClock(LocalDateTime now, int64_t steady_ms = 0) : now_(now), steady_ms_(steady_ms) {}
  LocalDateTime LocalNow() const override { return now_; }
  int64_t SteadyMilliseconds() const override { return steady_ms_; }
  void SetLocal(LocalDateTime now) { now_ = now; }
  void Advance(int64_t ms) { steady_ms_ += ms; }

 private:
  LocalDateTime now_;
  int64_t steady_ms_;
};

}  // namespace orra
