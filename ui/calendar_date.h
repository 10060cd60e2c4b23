#pragma once
// CalendarDate: a day as the parameter panel's date pickers hold it, and the reading of a date
// parameter's default value text into one.
//
// Pure functions; any thread.

#include <optional>
#include <string>
#include <string_view>

namespace orra {

struct CalendarDate {
  // The date picker shows the days a SYSTEMTIME can hold.
  static constexpr int kMinYear = 1601;
  static constexpr int kMaxYear = 9999;

  int year = 0;
  int month = 0;  // 1..12
  int day = 0;    // 1..31

  friend bool operator==(const CalendarDate&, const CalendarDate&) = default;
};

// Whether the three numbers name a day of the Gregorian calendar within the picker's years.
bool IsValidCalendarDate(int year, int month, int day);

// Reads a default value text (GBK, ASCII digits only matter): eight digits (year, month, day),
// or three numbers separated by "-" or by "/" (year, month, day; day, month, year when the
// first number has at most three digits), optionally followed by one space and a time
// ("h:mm" or "h:mm:ss"). Anything else, such as a relative-date code, or a day that does not
// exist, gives none.
std::optional<CalendarDate> ReadDefaultDate(std::string_view text);

// "%04d%02d%02d", as the formula carries a date.
std::u16string FormatYyyymmdd(const CalendarDate& date);

}  // namespace orra
