#pragma once
// The text Excel shows for a cell's value under its NumberFormatLocal, for the formats the
// add-in gives its answers: "General", "@", "0" and "#,##0.00"-style numbers, and dates and
// times written with yyyy/yy, MM/M, dd/d, hh/h, mm/m and ss/s among literal text (quoted,
// escaped with a backslash, or Chinese characters as a zh-CN Excel accepts them), with an
// optional "[DBNum1]" that writes the digits in Chinese numerals and a "[$-804]" locale tag.
// A format outside that set shows the value as General does, so an unknown format never hides
// the value. Texts, logical values and errors are shown as they are under every format.
//
// Pure functions; any thread.

#include <string>
#include <string_view>

#include "tools/xlhost/grid_value.h"

namespace orra::xlhost {

// A number under `format`, UTF-8. A date or time outside 1900-01-00 .. 9999-12-31 shows the
// hash marks Excel fills such a cell with.
std::string FormatNumber(double number, std::u16string_view format);

// Any cell value under `format`, UTF-8; numbers through FormatNumber, the rest as ShownText.
std::string FormattedText(const GridValue& value, std::u16string_view format);

}  // namespace orra::xlhost
