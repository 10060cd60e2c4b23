#include "store/relative_date.h"

#include <array>
#include <chrono>
#include <optional>
#include <string>

#include "common/ascii_text.h"

namespace orra {
namespace {

struct DateCode {
  std::u16string_view text;
  int days;
};

constexpr std::array<DateCode, 13> kCodes = {{
    {u"", 0},      {u"-1", 0},     {u"-2", 0},      {u"-3", 0},      {u"-11", -30},
    {u"-12", -60}, {u"-13", -90},  {u"-112", -360}, {u"11", 30},     {u"-1002", -2},
    {u"-1005", -5}, {u"-1010", -10}, {u"-1015", -15},
}};

std::optional<int> OffsetOf(std::u16string_view text) {
  for (const DateCode& code : kCodes) {
    if (code.text == text) return code.days;
  }
  return std::nullopt;
}

}  // namespace

std::u16string ResolveRelativeDate(std::u16string_view default_text, const LocalDateTime& now) {
  const std::optional<int> offset = OffsetOf(default_text);
  if (!offset) return std::u16string(default_text);
  using namespace std::chrono;
  // Local time counted as if it were UTC, moved by whole days of 86 400 seconds.
  const year_month_day today{year{now.year}, month{static_cast<unsigned>(now.month)},
                             day{static_cast<unsigned>(now.day)}};
  const sys_seconds moment = sys_days{today} + hours{now.hour} + minutes{now.minute} + seconds{now.second} +
                             seconds{int64_t{*offset} * 86400};
  const year_month_day date{floor<days>(moment)};
  const int value = static_cast<int>(date.year()) * 10000 + static_cast<int>(static_cast<unsigned>(date.month())) * 100 +
                    static_cast<int>(static_cast<unsigned>(date.day()));
  return WidenAscii(std::to_string(value));
}

}  // namespace orra
