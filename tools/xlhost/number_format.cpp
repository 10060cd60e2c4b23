#include "tools/xlhost/number_format.h"

#include <array>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <vector>

#include "common/ascii_text.h"
#include "common/utf8.h"
#include "tools/xlhost/xloper_conversion.h"
#include "xll/xl_constants.h"

namespace orra::xlhost {
namespace {

// Excel fills a cell with hash marks when its date cannot be written.
constexpr std::string_view kUnshowableDate = "########";
constexpr int kSignificantDigits = 15;
constexpr int kMaxDecimals = 30;  // the most decimal places Excel's number formats take
constexpr size_t kNumberTextSize = 40;
constexpr int64_t kSecondsPerDay = 86400;
constexpr int kLongestDateCode = 2;  // mm, dd, hh, ss; a longer run asks for names or elapsed time
constexpr int kTwoDigitYear = 2;
constexpr int kFourDigitYear = 4;
constexpr int kYearsPerCentury = 100;
constexpr int kDigitsPerGroup = 3;
constexpr int kTen = 10;
constexpr char16_t kChineseTen = u'十';
constexpr std::array<char16_t, 10> kChineseDigits = {u'〇', u'一', u'二', u'三', u'四',
                                                     u'五', u'六', u'七', u'八', u'九'};
// The names a zh-CN Excel gives the General format in NumberFormatLocal, and its own.
constexpr std::array<std::u16string_view, 2> kGeneralNames = {u"General", u"G/通用格式"};

bool IsGeneral(std::u16string_view section) {
  for (std::u16string_view name : kGeneralNames) {
    if (EqualsIgnoringAsciiCase(section, name)) return true;
  }
  return false;
}

// The format's sections, split at semicolons outside quotes and escapes; none when a quote is
// left open or an escape ends the format.
std::optional<std::vector<std::u16string_view>> Sections(std::u16string_view format) {
  std::vector<std::u16string_view> sections;
  size_t start = 0;
  bool quoted = false;
  for (size_t i = 0; i < format.size(); ++i) {
    if (format[i] == u'"') {
      quoted = !quoted;
    } else if (!quoted && format[i] == u'\\') {
      if (++i == format.size()) return std::nullopt;
    } else if (!quoted && format[i] == u';') {
      sections.push_back(format.substr(start, i - start));
      start = i + 1;
    }
  }
  if (quoted) return std::nullopt;
  sections.push_back(format.substr(start));
  return sections;
}

// "0", "#,##0", "0.00", "#,##0.000": digit placeholders, an optional thousands separator
// between them, and zeros after the decimal point.
struct NumberPattern {
  int min_integer_digits = 0;
  int decimals = 0;
  bool grouping = false;
};

std::optional<NumberPattern> ParseNumberPattern(std::u16string_view section) {
  NumberPattern pattern;
  size_t i = 0;
  bool placeholder = false;
  for (; i < section.size() && section[i] != u'.'; ++i) {
    const char16_t c = section[i];
    if (c == u'0') {
      ++pattern.min_integer_digits;
    } else if (c == u',') {
      // A comma after the last placeholder scales by a thousand; the add-in never asks for it.
      if (!placeholder || i + 1 == section.size() || (section[i + 1] != u'#' && section[i + 1] != u'0')) {
        return std::nullopt;
      }
      pattern.grouping = true;
    } else if (c != u'#') {
      return std::nullopt;
    }
    placeholder = true;
  }
  if (i < section.size()) {
    for (++i; i < section.size(); ++i) {
      if (section[i] != u'0' || pattern.decimals == kMaxDecimals) return std::nullopt;
      ++pattern.decimals;
    }
  }
  if (!placeholder && pattern.decimals == 0) return std::nullopt;
  return pattern;
}

// The digits of |number| rounded to `decimals` places, half away from zero on the 15
// significant digits Excel keeps, and the power of ten of the first digit.
struct RoundedDigits {
  std::string digits;
  int exponent = 0;
};

RoundedDigits RoundToDecimals(double magnitude, int decimals) {
  char text[kNumberTextSize];
  std::snprintf(text, sizeof text, "%.*e", kSignificantDigits - 1, magnitude);
  RoundedDigits rounded;
  const std::string_view scientific(text);
  const size_t e = scientific.find('e');
  for (char c : scientific.substr(0, e)) {
    if (c >= '0' && c <= '9') rounded.digits += c;
  }
  rounded.exponent = std::atoi(text + e + 1);
  const int keep = rounded.exponent + 1 + decimals;
  if (keep < 0) return RoundedDigits{};
  if (static_cast<size_t>(keep) >= rounded.digits.size()) return rounded;
  const bool round_up = rounded.digits[static_cast<size_t>(keep)] >= '5';
  rounded.digits.resize(static_cast<size_t>(keep));
  if (!round_up) return rounded;
  for (size_t i = rounded.digits.size(); i-- > 0;) {
    if (rounded.digits[i] != '9') {
      ++rounded.digits[i];
      return rounded;
    }
    rounded.digits[i] = '0';
  }
  rounded.digits.insert(rounded.digits.begin(), '1');
  ++rounded.exponent;
  return rounded;
}

std::string FormatDecimal(double number, const NumberPattern& pattern) {
  if (!std::isfinite(number)) return ErrorText(xlerrNum);
  const RoundedDigits rounded = RoundToDecimals(std::fabs(number), pattern.decimals);
  const auto digit_at = [&](int power) {
    const int index = rounded.exponent - power;
    return index >= 0 && static_cast<size_t>(index) < rounded.digits.size() ? rounded.digits[index] : '0';
  };
  std::string integer;
  for (int power = rounded.exponent; power >= 0; --power) {
    if (!integer.empty() || digit_at(power) != '0') integer += digit_at(power);
  }
  if (integer.size() < static_cast<size_t>(pattern.min_integer_digits)) {
    integer.insert(0, static_cast<size_t>(pattern.min_integer_digits) - integer.size(), '0');
  }
  std::string out = number < 0 ? "-" : "";
  for (size_t i = 0; i < integer.size(); ++i) {
    if (pattern.grouping && i > 0 && (integer.size() - i) % kDigitsPerGroup == 0) out += ',';
    out += integer[i];
  }
  if (pattern.decimals > 0) {
    out += '.';
    for (int power = -1; power >= -pattern.decimals; --power) out += digit_at(power);
  }
  return out;
}

enum class DateField { kYear, kMonthOrMinute, kMonth, kDay, kHour, kMinute, kSecond };

struct DatePiece {
  std::optional<DateField> field;
  int width = 0;
  std::u16string literal;
};

struct DatePattern {
  std::vector<DatePiece> pieces;
  bool chinese_numerals = false;
};

std::optional<DateField> FieldOfCode(char16_t upper) {
  switch (upper) {
    case u'Y': return DateField::kYear;
    case u'M': return DateField::kMonthOrMinute;
    case u'D': return DateField::kDay;
    case u'H': return DateField::kHour;
    case u'S': return DateField::kSecond;
    default: return std::nullopt;
  }
}

// "m" is a minute right after an hour or right before a second, literals between not counting;
// everywhere else it is a month.
void ResolveMinutes(std::vector<DatePiece>& pieces) {
  std::optional<DateField> previous;
  for (size_t i = 0; i < pieces.size(); ++i) {
    if (!pieces[i].field) continue;
    if (*pieces[i].field == DateField::kMonthOrMinute) {
      std::optional<DateField> next;
      for (size_t j = i + 1; j < pieces.size() && !next; ++j) next = pieces[j].field;
      const bool minute = previous == DateField::kHour || next == DateField::kSecond;
      pieces[i].field = minute ? DateField::kMinute : DateField::kMonth;
    }
    previous = pieces[i].field;
  }
}

// One bracketed part of a date section: "[DBNum1]" or a "[$-804]" locale; none for any other.
bool ReadBracket(std::u16string_view tag, DatePattern& pattern) {
  if (EqualsIgnoringAsciiCase(tag, u"DBNum1")) {
    pattern.chinese_numerals = true;
    return true;
  }
  return tag.size() > 2 && tag.substr(0, 2) == u"$-";
}

bool IsAsciiLetter(char16_t c) { return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z'); }

std::optional<DatePattern> ParseDatePattern(std::u16string_view section) {
  DatePattern pattern;
  const auto literal = [&](std::u16string_view text) {
    if (pattern.pieces.empty() || pattern.pieces.back().field) pattern.pieces.emplace_back();
    pattern.pieces.back().literal += text;
  };
  bool has_field = false;
  for (size_t i = 0; i < section.size();) {
    const char16_t c = section[i];
    if (c == u'"') {
      const size_t close = section.find(u'"', i + 1);
      if (close == std::u16string_view::npos) return std::nullopt;
      literal(section.substr(i + 1, close - i - 1));
      i = close + 1;
    } else if (c == u'\\') {
      if (i + 1 == section.size()) return std::nullopt;
      literal(section.substr(i + 1, 1));
      i += 2;
    } else if (c == u'[') {
      const size_t close = section.find(u']', i + 1);
      if (close == std::u16string_view::npos || !ReadBracket(section.substr(i + 1, close - i - 1), pattern)) {
        return std::nullopt;
      }
      i = close + 1;
    } else if (const std::optional<DateField> field = FieldOfCode(UpperAscii(c))) {
      size_t run = i;
      while (run < section.size() && UpperAscii(section[run]) == UpperAscii(c)) ++run;
      const int width = static_cast<int>(run - i);
      if (*field != DateField::kYear && width > kLongestDateCode) return std::nullopt;
      pattern.pieces.push_back(DatePiece{field, width, {}});
      has_field = true;
      i = run;
    } else if (IsAsciiLetter(c) || std::u16string_view(u"0#?@*_%").find(c) != std::u16string_view::npos) {
      // AM/PM, names, fractions of a second, fills: codes this formatter does not write.
      return std::nullopt;
    } else {
      literal(section.substr(i, 1));
      ++i;
    }
  }
  if (!has_field) return std::nullopt;
  ResolveMinutes(pattern.pieces);
  return pattern;
}

std::u16string PlainDigits(int value, int width) {
  std::u16string digits;
  for (const char c : std::to_string(value)) digits += static_cast<char16_t>(c);
  if (digits.size() < static_cast<size_t>(width)) digits.insert(0, static_cast<size_t>(width) - digits.size(), u'0');
  return digits;
}

// A year's digits one by one ("二〇二〇"), as Excel writes a year under [DBNum1].
std::u16string ChineseDigits(std::u16string digits) {
  for (char16_t& digit : digits) digit = kChineseDigits[static_cast<size_t>(digit - u'0')];
  return digits;
}

// A month, day, hour, minute or second under [DBNum1] as it is counted: 十, 十二, 二十, 三十一.
std::u16string ChineseCount(int value) {
  const int tens = value / kTen;
  const int units = value % kTen;
  if (tens == 0) return std::u16string(1, kChineseDigits[static_cast<size_t>(units)]);
  std::u16string text;
  if (tens > 1) text += kChineseDigits[static_cast<size_t>(tens)];
  text += kChineseTen;
  if (units > 0) text += kChineseDigits[static_cast<size_t>(units)];
  return text;
}

std::string FormatDate(double serial, const DatePattern& pattern) {
  if (!std::isfinite(serial) || serial < 0) return std::string(kUnshowableDate);
  // The format shows whole seconds: the nearest one, which may carry into the next day.
  const double seconds = std::round(serial * static_cast<double>(kSecondsPerDay));
  const double day = std::floor(seconds / static_cast<double>(kSecondsPerDay));
  const std::optional<SerialDate> date = DateOfSerial(day);
  if (!date) return std::string(kUnshowableDate);
  const auto second_of_day = static_cast<int>(seconds - day * static_cast<double>(kSecondsPerDay));
  constexpr int kSecondsPerMinute = 60;
  constexpr int kSecondsPerHour = 3600;
  std::u16string out;
  for (const DatePiece& piece : pattern.pieces) {
    if (!piece.field) {
      out += piece.literal;
      continue;
    }
    if (*piece.field == DateField::kYear) {
      const bool short_year = piece.width <= kTwoDigitYear;
      const std::u16string digits = short_year ? PlainDigits(date->year % kYearsPerCentury, kTwoDigitYear)
                                               : PlainDigits(date->year, kFourDigitYear);
      out += pattern.chinese_numerals ? ChineseDigits(digits) : digits;
      continue;
    }
    int value = 0;
    switch (*piece.field) {
      case DateField::kMonth: value = date->month; break;
      case DateField::kDay: value = date->day; break;
      case DateField::kHour: value = second_of_day / kSecondsPerHour; break;
      case DateField::kMinute: value = second_of_day % kSecondsPerHour / kSecondsPerMinute; break;
      default: value = second_of_day % kSecondsPerMinute; break;
    }
    out += pattern.chinese_numerals ? ChineseCount(value) : PlainDigits(value, piece.width);
  }
  return ToUtf8(out);
}

}  // namespace

std::string FormatNumber(double number, std::u16string_view format) {
  const auto sections = Sections(format);
  // The add-in's formats have one section, or a date's followed by a text section ("@") that
  // leaves texts as they are; for more, this formatter would have to choose by sign.
  const bool understood = sections && (sections->size() == 1 || (sections->size() == 2 && (*sections)[1] == u"@"));
  if (understood) {
    const std::u16string_view section = sections->front();
    if (!IsGeneral(section) && section != u"@") {
      if (const auto pattern = ParseNumberPattern(section)) return FormatDecimal(number, *pattern);
      if (const auto pattern = ParseDatePattern(section)) return FormatDate(number, *pattern);
    }
  }
  return GeneralNumberText(number);
}

std::string FormattedText(const GridValue& value, std::u16string_view format) {
  if (const double* number = std::get_if<double>(&value)) return FormatNumber(*number, format);
  return ShownText(value);
}

}  // namespace orra::xlhost
