#include "tools/xlhost/refresh_throttle.h"

#include <gtest/gtest.h>

namespace orra::xlhost {
namespace {

TEST(RefreshThrottleTest, RefreshesOnlyAfterANoticeAndNoSoonerThanTheIntervalSinceTheLast) {
  RefreshThrottle throttle;
  EXPECT_FALSE(throttle.Due(0)) << "no notice yet";
  throttle.Notified();
  EXPECT_TRUE(throttle.Due(0)) << "the first refresh has no earlier one to wait for";
  throttle.Refreshed(100);
  EXPECT_FALSE(throttle.Due(5000)) << "the notice was answered";
  throttle.Notified();
  throttle.Notified();
  EXPECT_FALSE(throttle.Due(2099));
  EXPECT_TRUE(throttle.Due(2100));
  throttle.Refreshed(2100);
  EXPECT_FALSE(throttle.Due(9000)) << "two notices ask for one refresh";
}

TEST(RefreshThrottleTest, AnIntervalOfZeroRefreshesAtOnceAndANegativeOneCountsAsZero) {
  RefreshThrottle throttle;
  throttle.set_interval_ms(-5);
  EXPECT_EQ(throttle.interval_ms(), 0);
  throttle.Notified();
  throttle.Refreshed(10);
  throttle.Notified();
  EXPECT_TRUE(throttle.Due(10));
}

}  // namespace
}  // namespace orra::xlhost
