#include <windows.h>

#include "common/platform_time.h"

namespace orra::platform {

LocalDateTime LocalTimeNow() {
  SYSTEMTIME st;
  GetLocalTime(&st);
  LocalDateTime t;
  t.year = st.wYear;
  t.month = st.wMonth;
  t.day = st.wDay;
  t.hour = st.wHour;
  t.minute = st.wMinute;
  t.second = st.wSecond;
  t.millisecond = st.wMilliseconds;
  t.day_of_week = st.wDayOfWeek;
  return t;
}

}  // namespace orra::platform
