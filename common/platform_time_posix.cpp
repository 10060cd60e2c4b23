#include <sys/time.h>
#include <time.h>

#include "common/platform_time.h"

namespace orra::platform {

LocalDateTime LocalTimeNow() {
  timeval tv{};
  gettimeofday(&tv, nullptr);
  const time_t seconds = tv.tv_sec;
  tm local{};
  localtime_r(&seconds, &local);
  LocalDateTime t;
  t.year = local.tm_year + 1900;
  t.month = local.tm_mon + 1;
  t.day = local.tm_mday;
  t.hour = local.tm_hour;
  t.minute = local.tm_min;
  t.second = local.tm_sec;
  t.millisecond = static_cast<int>(tv.tv_usec / 1000);
  t.day_of_week = local.tm_wday;
  return t;
}

}  // namespace orra::platform
