#include "request/recent_login_check.h"

namespace orra {

bool RecentLoginCheck::Check() {
  const int64_t now = clock_.SteadyMilliseconds();
  // A clock that went back is not trusted to measure the bound: check again.
  if (last_ && now >= last_->checked_ms && now - last_->checked_ms < kReuseMs) return last_->logged_in;
  last_ = Outcome{now, check_.Check()};
  return last_->logged_in;
}

}  // namespace orra
