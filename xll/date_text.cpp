#include "xll/date_text.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <locale>
#include <regex>

#include "common/decimal_text.h"

namespace orra {
namespace {

// Days since 1970-01-01 of a proleptic Gregorian date, month 1..12 (H. Hinnant's algorithm).
int64_t DaysFromCivil(int64_t year, int64_t month, int64_t day) {
  year -= month <= 2 ? 1 : 0;
  const int64_t era = (year >= 0 ? year : year - 399) / 400;
  const int64_t year_of_era = year - era * 400;
  const int64_t day_of_year = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
  const int64_t day_of_era = year_of_era * 365 + year_of_era / 4 - year_of_era / 100 + day_of_year;
  return era * 146097 + day_of_era - 719468;
}

// The text after position `at` (empty when `at` is at or past the end).
std::u16string_view After(std::u16string_view text, size_t at) {
  return at + 1 < text.size() ? text.substr(at + 1) : std::u16string_view();
}

void ReadTime(std::u16string_view time, DateTimeParts& parts) {
  const size_t colon = time.find(u':');
  if (colon == std::u16string_view::npos) {
    const int32_t hhmmss = ReadLeadingDecimal(time);
    parts.hour = hhmmss / 10000;
    parts.minute = hhmmss / 100 % 100;
    parts.second = hhmmss % 100;
    return;
  }
  parts.hour = ReadLeadingDecimal(time);
  parts.minute = ReadLeadingDecimal(After(time, colon));
  const size_t second_colon = time.find(u':', colon + 1);
  if (second_colon != std::u16string_view::npos) parts.second = ReadLeadingDecimal(After(time, second_colon));
}

void ReadDate(std::u16string_view date, DateTimeParts& parts) {
  const char16_t separator = date.find(u'-') != std::u16string_view::npos ? u'-' : u'/';
  const size_t first = date.find(separator);
  if (first == std::u16string_view::npos) {
    const int32_t yyyymmdd = ReadLeadingDecimal(date);
    parts.year = yyyymmdd / 10000;
    parts.month = yyyymmdd / 100 % 100;
    parts.day = yyyymmdd % 100;
    return;
  }
  const int32_t leading = ReadLeadingDecimal(date);
  parts.month = ReadLeadingDecimal(After(date, first));
  const size_t second = date.find(separator, first + 1);
  const int32_t trailing = second == std::u16string_view::npos ? 0 : ReadLeadingDecimal(After(date, second));
  const bool day_first = first <= 3;
  parts.day = day_first ? leading : trailing;
  parts.year = day_first ? trailing : leading;
}

std::regex ClassicPattern(const char* pattern) {
  std::regex regex;
  // Built in the classic locale, so that \d stays the ASCII digits whatever global locale the
  // host process has set.
  regex.imbue(std::locale::classic());
  regex.assign(pattern, std::regex::ECMAScript);
  return regex;
}

// In the order of DateTextClass; the Chinese characters in code page 936.
const std::array<std::regex, 4>& DatePatterns() {
  static const std::array<std::regex, 4> patterns = {
      ClassicPattern(R"(\d{4}-\d{1,2}-\d{1,2})"),
      ClassicPattern(R"(\d{4}\d{1,2}\d{1,2})"),
      ClassicPattern("\\d{4}\xC4\xEA\\d{1,2}\xD4\xC2\\d{1,2}\xC8\xD5"),
      ClassicPattern(R"(\d{4}/\d{1,2}/\d{1,2})"),
  };
  return patterns;
}

// What the count of days since 1900-01-01 is offset by: the spreadsheet counts 1900-01-01 as day
// 1 and has a 29 February 1900, so from March 1900 on its serials are two more than the count.
constexpr int32_t kSerialOfFirstDay = 2;

// "yyyy-mm-dd hh:mm:ss": what follows (fractions of a second) is not read.
constexpr size_t kLongestDateTimeText = 19;

// No text longer than this matches a pattern (the longest is 4 + 2 + 2 + 2 + 2 + 2 bytes).
constexpr size_t kLongestDateText = 14;

}  // namespace

int32_t SerialDayFromYmd(int32_t yyyymmdd) {
  // Months counted from January of year 0; a month field above 12 runs on into later years.
  const int64_t months = int64_t{yyyymmdd / 10000} * 12 + yyyymmdd / 100 % 100 - 1;
  if (yyyymmdd < 0 || months < 0) return kSerialOfFirstDay;
  const int64_t first_of_month = DaysFromCivil(months / 12, months % 12 + 1, 1);
  const int64_t days = first_of_month + yyyymmdd % 100 - 1 - DaysFromCivil(1900, 1, 1);
  return static_cast<int32_t>(std::max<int64_t>(days, 0) + kSerialOfFirstDay);
}

DateTimeParts ReadDateTimeText(std::u16string_view text) {
  text = text.substr(0, std::min(text.size(), kLongestDateTimeText));
  DateTimeParts parts;
  const size_t blank = text.find(u' ');
  if (blank != std::u16string_view::npos) ReadTime(After(text, blank), parts);
  ReadDate(text.substr(0, blank), parts);
  return parts;
}

DateTextClass ClassifyDateText(std::string_view gbk) noexcept {
  if (gbk.size() > kLongestDateText) return DateTextClass::kNone;
  try {
    const auto& patterns = DatePatterns();
    for (size_t i = 0; i < patterns.size(); ++i) {
      if (std::regex_match(gbk.begin(), gbk.end(), patterns[i])) return static_cast<DateTextClass>(i);
    }
  } catch (...) {
    // A pattern the library cannot build or run matches nothing.
  }
  return DateTextClass::kNone;
}

}  // namespace orra
