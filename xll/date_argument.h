#pragma once
// Date arguments made ready for the RTD topics: a spreadsheet date serial becomes the integer
// yyyymmdd the server reads, a date typed as text goes as typed, and anything else is dropped.
//
// Excel's main thread, inside a worksheet function, like the C API calls it makes.

#include <optional>

#include "xll/argument_value.h"
#include "xll/excel_calls.h"

namespace orra {

// No value or a missing one: missing. A text: a copy of it. A number: the yyyymmdd of the day
// Excel's YEAR, MONTH and DAY give for it truncated toward zero (the time of day is dropped).
// Anything else: missing. None when Excel answers one of the three with an error, or when the
// number is no 32-bit day (NaN, beyond the range), which no date serial is.
std::optional<ArgumentValue> DateArgumentToNumber(const XLOPER12* value, ExcelCalls& excel);

// `value` through DateArgumentToNumber when `keyword` is the text "STARTDATE" or "COUNTDATE"
// in any case of its ASCII letters and of exactly that length; else `value` itself (borrowed),
// or missing when there is no value.
std::optional<ArgumentValue> KeywordDateArgument(const XLOPER12* value, const XLOPER12* keyword,
                                                 ExcelCalls& excel);

}  // namespace orra
