#include "ui/calendar_date.h"

#include <algorithm>
#include <array>
#include <cstdio>

namespace orra {
namespace {

constexpr size_t kCompactDateDigits = 8;
// A number of a date or time longer than this is no part of one (and could not overflow).
constexpr size_t kMaxNumberDigits = 4;
constexpr size_t kMaxYearFirstDigits = 3;  // a first number this short is the day
constexpr int kHoursPerDay = 24;
constexpr int kMinutesPerHour = 60;
constexpr int kSecondsPerMinute = 60;

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

bool IsLeapYear(int year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

// Reads the digits at the front of `text` into `value`, consuming them; the count read, or 0
// when there are none or more than kMaxNumberDigits.
size_t TakeNumber(std::string_view& text, int& value) {
  size_t n = 0;
  value = 0;
  while (n < text.size() && IsDigit(text[n])) {
    if (n == kMaxNumberDigits) return 0;
    value = value * 10 + (text[n] - '0');
    ++n;
  }
  text.remove_prefix(n);
  return n;
}

bool TakeChar(std::string_view& text, char c) {
  if (text.empty() || text.front() != c) return false;
  text.remove_prefix(1);
  return true;
}

// "h:mm" or "h:mm:ss", nothing after it.
bool IsTime(std::string_view text) {
  int hour = 0, minute = 0, second = 0;
  if (TakeNumber(text, hour) == 0 || hour >= kHoursPerDay) return false;
  if (!TakeChar(text, ':') || TakeNumber(text, minute) == 0 || minute >= kMinutesPerHour) return false;
  if (text.empty()) return true;
  if (!TakeChar(text, ':') || TakeNumber(text, second) == 0 || second >= kSecondsPerMinute) return false;
  return text.empty();
}

// What follows the date: nothing, or one space and a time.
bool IsDateEnd(std::string_view rest) { return rest.empty() || (TakeChar(rest, ' ') && IsTime(rest)); }

std::optional<CalendarDate> Checked(int year, int month, int day) {
  if (!IsValidCalendarDate(year, month, day)) return std::nullopt;
  return CalendarDate{year, month, day};
}

}  // namespace

bool IsValidCalendarDate(int year, int month, int day) {
  static constexpr std::array<int, 12> kDaysInMonth{31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  if (year < CalendarDate::kMinYear || year > CalendarDate::kMaxYear) return false;
  if (month < 1 || month > 12 || day < 1) return false;
  const int days = kDaysInMonth[month - 1] + (month == 2 && IsLeapYear(year) ? 1 : 0);
  return day <= days;
}

std::optional<CalendarDate> ReadDefaultDate(std::string_view text) {
  std::string_view rest = text;
  size_t digits = 0;
  while (digits < rest.size() && IsDigit(rest[digits])) ++digits;
  if (digits == kCompactDateDigits) {
    const auto number = [&](size_t at, size_t count) {
      int value = 0;
      for (size_t i = at; i < at + count; ++i) value = value * 10 + (text[i] - '0');
      return value;
    };
    if (!IsDateEnd(text.substr(kCompactDateDigits))) return std::nullopt;
    return Checked(number(0, 4), number(4, 2), number(6, 2));
  }
  int first = 0, second = 0, third = 0;
  const size_t first_digits = TakeNumber(rest, first);
  if (first_digits == 0 || rest.empty()) return std::nullopt;
  const char separator = rest.front();
  if (separator != '-' && separator != '/') return std::nullopt;
  rest.remove_prefix(1);
  if (TakeNumber(rest, second) == 0 || !TakeChar(rest, separator) || TakeNumber(rest, third) == 0) {
    return std::nullopt;
  }
  if (!IsDateEnd(rest)) return std::nullopt;
  if (first_digits <= kMaxYearFirstDigits) return Checked(third, second, first);
  return Checked(first, second, third);
}

std::u16string FormatYyyymmdd(const CalendarDate& date) {
  char text[16];
  const int n = std::snprintf(text, sizeof text, "%04d%02d%02d", date.year, date.month, date.day);
  if (n <= 0) return {};
  return std::u16string(text, text + std::min<size_t>(static_cast<size_t>(n), sizeof text - 1));
}

}  // namespace orra
