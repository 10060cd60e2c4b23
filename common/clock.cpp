#include "common/clock.h"

#include <atomic>
#include <chrono>

#include "common/platform_time.h"

namespace orra {
namespace {

class PlatformClock final : public Clock {
 public:
  LocalDateTime LocalNow() const override { return platform::LocalTimeNow(); }
  int64_t SteadyMilliseconds() const override {
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
  }
};

std::atomic<const Clock*> g_clock{nullptr};

}  // namespace

const Clock& SystemClock() {
  static const PlatformClock clock;
  return clock;
}

const Clock& CurrentClock() {
  const Clock* clock = g_clock.load(std::memory_order_acquire);
  return clock != nullptr ? *clock : SystemClock();
}

void SetClockForTesting(const Clock* clock) { g_clock.store(clock, std::memory_order_release); }

}  // namespace orra
