#pragma once
// Dates as the server's values and the array writer's tables carry them: yyyymmdd integers
// turned into spreadsheet serial days, date-and-time texts read into their parts, and date
// texts sorted into the forms whose number format the array writer knows.
//
// Pure functions without state; any thread.

#include <cstdint>
#include <string_view>

namespace orra {

// Days from 1900-01-01 to the date in the Gregorian calendar (0 for that day and for any day
// before it), plus 2: from 1900-03-01 on, the spreadsheet's serial day (2020-01-01 gives
// 43831). A month or day beyond its calendar rolls over into the next, as the spreadsheet's
// DATE does (20200230 is 2020-03-01; month 0 is December of the year before).
int32_t SerialDayFromYmd(int32_t yyyymmdd);

struct DateTimeParts {
  int32_t year = 0;
  int32_t month = 0;
  int32_t day = 0;
  int32_t hour = 0;
  int32_t minute = 0;
  int32_t second = 0;

  friend bool operator==(const DateTimeParts&, const DateTimeParts&) = default;
};

// Reads the first 19 characters of a date with an optional time after a blank:
//   date  yyyy-m-d, yyyy/m/d, d/m/yyyy (at most 3 characters before the first separator), or
//         the digits yyyymmdd;
//   time  h:m[:s] or the digits hhmmss.
// Each number is read as C's strtol reads it (blanks, a sign, digits; none gives 0; clamped to
// the 32-bit range). Parts the text does not give are 0; a text in no such form gives whatever
// numbers these rules read from it.
DateTimeParts ReadDateTimeText(std::u16string_view text);

// The form of a whole text (GBK bytes), by the first pattern that matches all of it.
enum class DateTextClass : uint8_t {
  kDash = 0,     // \d{4}-\d{1,2}-\d{1,2}
  kDigits = 1,   // \d{4}\d{1,2}\d{1,2}
  kChinese = 2,  // \d{4}年\d{1,2}月\d{1,2}日
  kSlash = 3,    // \d{4}/\d{1,2}/\d{1,2}
  kNone = 4,
};
DateTextClass ClassifyDateText(std::string_view gbk) noexcept;

}  // namespace orra
