#pragma once
// The time as the system reads it: local calendar time (relative-date defaults, log stamps)
// and a monotonic millisecond count (timeouts). The Env carries the clock in use, so that a
// test or a tool can fix "today" and move time forward by hand.

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

// The platform's clock; it holds no state, so any thread may read it.
const Clock& SystemClock();

}  // namespace orra
