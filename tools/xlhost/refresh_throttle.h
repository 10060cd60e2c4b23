#pragma once
// When the stand-in Excel calls RefreshData on a server: after the server has called
// UpdateNotify, and no sooner than the throttle interval after the previous refresh. Excel's
// default interval is 2000 ms; 0 refreshes at the first idle moment. Any number of notices
// before a refresh ask for one refresh.
//
// Pure logic over millisecond counts of a monotonic clock; one thread.

#include <cstdint>
#include <optional>

namespace orra::xlhost {

class RefreshThrottle {
 public:
  static constexpr int64_t kDefaultIntervalMs = 2000;

  explicit RefreshThrottle(int64_t interval_ms = kDefaultIntervalMs) : interval_ms_(interval_ms) {}

  // Negative intervals are read as 0.
  void set_interval_ms(int64_t interval_ms) { interval_ms_ = interval_ms < 0 ? 0 : interval_ms; }
  int64_t interval_ms() const { return interval_ms_; }

  void Notified() { notified_ = true; }
  bool Due(int64_t now_ms) const;
  // A refresh was made at `now_ms`: the notice is answered and the interval starts again.
  void Refreshed(int64_t now_ms);

 private:
  int64_t interval_ms_;
  bool notified_ = false;
  std::optional<int64_t> last_refresh_ms_;
};

}  // namespace orra::xlhost
