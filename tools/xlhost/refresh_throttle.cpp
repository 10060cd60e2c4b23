#include "tools/xlhost/refresh_throttle.h"

namespace orra::xlhost {

bool RefreshThrottle::Due(int64_t now_ms) const {
  if (!notified_) return false;
  return !last_refresh_ms_ || now_ms - *last_refresh_ms_ >= interval_ms_;
}

void RefreshThrottle::Refreshed(int64_t now_ms) {
  notified_ = false;
  last_refresh_ms_ = now_ms;
}

}  // namespace orra::xlhost
