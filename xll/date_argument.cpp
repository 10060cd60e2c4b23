#include "xll/date_argument.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <string_view>

#include "common/ascii_text.h"
#include "xll/xl_constants.h"

namespace orra {
namespace {

constexpr int32_t kYearFactor = 10000;
constexpr int32_t kMonthFactor = 100;
// What YEAR, MONTH and DAY can answer (DAY of serial 0 is 0, "January 0, 1900").
constexpr double kLastYear = 9999;
constexpr double kLastMonth = 12;
constexpr double kLastDay = 31;

// One of Excel's date parts of `day`, when Excel answers it with a whole number in range.
std::optional<int32_t> DatePart(ExcelCalls& excel, int32_t function, const XLOPER12& day,
                                double last) {
  const ExcelResult part(excel, function, {&day});
  if (!part.succeeded()) return std::nullopt;
  double number = 0;
  if (BaseType(part.value()) == xltypeNum) {
    number = part.value().val.num;
  } else if (BaseType(part.value()) == xltypeInt) {
    number = part.value().val.w;
  } else {
    return std::nullopt;
  }
  if (!(number >= 0 && number <= last) || number != std::trunc(number)) return std::nullopt;
  return static_cast<int32_t>(number);
}

std::optional<ArgumentValue> SerialToYmd(double serial, ExcelCalls& excel) {
  const double whole = std::trunc(serial);
  if (!(whole >= std::numeric_limits<int32_t>::min() &&
        whole <= std::numeric_limits<int32_t>::max())) {
    return std::nullopt;
  }
  XLOPER12 day{};
  day.xltype = xltypeInt;
  day.val.w = static_cast<int32_t>(whole);
  const std::optional<int32_t> year = DatePart(excel, xlfYear, day, kLastYear);
  if (!year) return std::nullopt;
  const std::optional<int32_t> month = DatePart(excel, xlfMonth, day, kLastMonth);
  if (!month) return std::nullopt;
  const std::optional<int32_t> day_of_month = DatePart(excel, xlfDay, day, kLastDay);
  if (!day_of_month) return std::nullopt;
  return ArgumentValue::Integer(*year * kYearFactor + *month * kMonthFactor + *day_of_month);
}

bool IsDateKeyword(const XLOPER12* keyword) {
  if (keyword == nullptr) return false;
  const std::optional<std::u16string_view> text = TextOf(*keyword);
  if (!text) return false;
  return EqualsIgnoringAsciiCase(*text, u"STARTDATE") || EqualsIgnoringAsciiCase(*text, u"COUNTDATE");
}

}  // namespace

std::optional<ArgumentValue> DateArgumentToNumber(const XLOPER12* value, ExcelCalls& excel) {
  if (value == nullptr) return ArgumentValue::Missing();
  switch (BaseType(*value)) {
    case xltypeStr: {
      const std::optional<std::u16string_view> text = TextOf(*value);
      return text ? ArgumentValue::Text(*text) : ArgumentValue::Missing();
    }
    case xltypeNum:
      return SerialToYmd(value->val.num, excel);
    default:
      return ArgumentValue::Missing();
  }
}

std::optional<ArgumentValue> KeywordDateArgument(const XLOPER12* value, const XLOPER12* keyword,
                                                 ExcelCalls& excel) {
  if (IsDateKeyword(keyword)) return DateArgumentToNumber(value, excel);
  if (value == nullptr) return ArgumentValue::Missing();
  return ArgumentValue::Borrowed(*value);
}

}  // namespace orra
