#include "tools/xlhost/xloper_conversion.h"

#include <charconv>
#include <cmath>
#include <string>

#include "common/utf8.h"
#include "xll/xl_constants.h"

namespace orra::xlhost {
namespace {

constexpr double kLastSerial = 2958465;  // 9999-12-31
constexpr double kLeapDaySerial = 60;    // the 1900-02-29 that never was
// Days from 1970-01-01 back to 1899-12-31 (serial 0's day after) and 1899-12-30: before the
// phantom leap day serial 1 is 1900-01-01, after it every serial is one day further on.
constexpr int64_t kEpochBeforeLeapDay = -25568;
constexpr int64_t kEpochAfterLeapDay = -25569;

// Gregorian calendar date of a count of days from 1970-01-01 (H. Hinnant's civil_from_days).
SerialDate CivilFromDays(int64_t days) {
  days += 719468;
  const int64_t era = (days >= 0 ? days : days - 146096) / 146097;
  const int64_t day_of_era = days - era * 146097;
  const int64_t year_of_era =
      (day_of_era - day_of_era / 1460 + day_of_era / 36524 - day_of_era / 146096) / 365;
  const int64_t day_of_year = day_of_era - (365 * year_of_era + year_of_era / 4 - year_of_era / 100);
  const int64_t month_index = (5 * day_of_year + 2) / 153;
  const int64_t day = day_of_year - (153 * month_index + 2) / 5 + 1;
  const int64_t month = month_index < 10 ? month_index + 3 : month_index - 9;
  const int64_t year = year_of_era + era * 400 + (month <= 2 ? 1 : 0);
  return SerialDate{static_cast<int32_t>(year), static_cast<int32_t>(month),
                    static_cast<int32_t>(day)};
}

std::optional<double> ParseNumberText(std::u16string_view text) {
  std::string narrow = ToUtf8(text);
  const size_t first = narrow.find_first_not_of(' ');
  const size_t last = narrow.find_last_not_of(' ');
  if (first == std::string::npos) return std::nullopt;
  narrow = narrow.substr(first, last - first + 1);
  double number = 0;
  const auto [end, error] = std::from_chars(narrow.data(), narrow.data() + narrow.size(), number);
  if (error != std::errc() || end != narrow.data() + narrow.size()) return std::nullopt;
  return number;
}

bool EqualsIgnoringAsciiCase(std::u16string_view text, std::u16string_view upper) {
  if (text.size() != upper.size()) return false;
  for (size_t i = 0; i < text.size(); ++i) {
    const char16_t c = (text[i] >= u'a' && text[i] <= u'z') ? text[i] - 32 : text[i];
    if (c != upper[i]) return false;
  }
  return true;
}

}  // namespace

GridValue GridValueOf(const XLOPER12& value) {
  switch (BaseType(value)) {
    case xltypeNum: return value.val.num;
    case xltypeStr: {
      const auto text = TextOf(value);
      return text ? GridValue(std::u16string(*text)) : GridValue(ErrorValue{xlerrValue});
    }
    case xltypeBool: return value.val.xbool != 0;
    case xltypeErr: return ErrorValue{value.val.err};
    case xltypeInt: return static_cast<double>(value.val.w);
    case xltypeNil:
    case xltypeMissing: return std::monostate{};
    case xltypeMulti:
      if (value.val.array.lparray == nullptr || value.val.array.rows < 1 ||
          value.val.array.columns < 1 || BaseType(value.val.array.lparray[0]) == xltypeMulti) {
        return ErrorValue{xlerrValue};
      }
      return GridValueOf(value.val.array.lparray[0]);
    default: return ErrorValue{xlerrValue};
  }
}

std::optional<double> AsNumber(const GridValue& value) {
  if (std::holds_alternative<std::monostate>(value)) return 0.0;
  if (const auto* number = std::get_if<double>(&value)) return *number;
  if (const auto* flag = std::get_if<bool>(&value)) return *flag ? 1.0 : 0.0;
  if (const auto* text = std::get_if<std::u16string>(&value)) return ParseNumberText(*text);
  return std::nullopt;
}

std::optional<std::u16string> AsText(const GridValue& value) {
  if (std::holds_alternative<ErrorValue>(value)) return std::nullopt;
  if (const auto* text = std::get_if<std::u16string>(&value)) return *text;
  return FromUtf8(ShownText(value));
}

std::optional<bool> AsBool(const GridValue& value) {
  if (std::holds_alternative<std::monostate>(value)) return false;
  if (const auto* number = std::get_if<double>(&value)) return *number != 0;
  if (const auto* flag = std::get_if<bool>(&value)) return *flag;
  if (const auto* text = std::get_if<std::u16string>(&value)) {
    if (EqualsIgnoringAsciiCase(*text, u"TRUE")) return true;
    if (EqualsIgnoringAsciiCase(*text, u"FALSE")) return false;
  }
  return std::nullopt;
}

std::optional<SerialDate> DateOfSerial(double serial) {
  if (!std::isfinite(serial) || serial < 0 || serial >= kLastSerial + 1) return std::nullopt;
  const double whole = std::floor(serial);
  if (whole == 0) return SerialDate{1900, 1, 0};
  if (whole == kLeapDaySerial) return SerialDate{1900, 2, 29};
  const int64_t day = static_cast<int64_t>(whole);
  return CivilFromDays(day + (whole < kLeapDaySerial ? kEpochBeforeLeapDay : kEpochAfterLeapDay));
}

}  // namespace orra::xlhost
