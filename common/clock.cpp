#include "common/clock.h"

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

}  // namespace

const Clock& SystemClock() {
  static const PlatformClock clock;
  return clock;
}

}  // namespace orra
