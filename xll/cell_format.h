#pragma once
// The number format and horizontal alignment a single-value function gives its calling cell,
// chosen by the request's display attributes (copied from the indicator's descriptor), and
// set through Excel's object model.
//
// An attribute beyond its table (alignment above 2, date style above 5, decimals above 57)
// comes from a damaged descriptor: that attribute sets nothing, so the cell keeps the format
// it had rather than one read from outside the table; the other attribute still applies.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "common/env.h"
#include "request/excel_object_model.h"
#include "request/request.h"
#include "xll/value_kind.h"

namespace orra {

constexpr uint8_t kMaxDecimals = 57;

// Excel's HorizontalAlignment constant for alignment index 0 left, 1 centre, 2 right.
std::optional<int32_t> HorizontalAlignmentFor(uint8_t alignment);
// NumberFormatLocal of date style 0..5 for a value with a time of day.
std::optional<std::u16string_view> DateTimeNumberFormat(uint8_t date_style);
// NumberFormatLocal of date style 0..5 for a value without a time of day.
std::optional<std::u16string_view> DateOnlyNumberFormat(uint8_t date_style);
// "#,##0" for 0 decimals, "#,##0." and `decimals` zeros for 1..57.
std::optional<std::u16string> DecimalNumberFormat(uint8_t decimals);

// Sets the number format (by value kind; date-or-time values take the date-only table when
// `date_only`) and the alignment of the cell at the request's caller address. Does nothing
// without a caller address or without Excel (`excel` null). When Excel refuses a call, its
// error goes to the Env's debugger output and the rest is skipped. True when the cell took
// all of its format (an attribute that sets nothing counts as taken); false when nothing could
// be asked or Excel refused. Never throws. Excel's main thread only.
bool ApplyCellFormat(ExcelObjectModel* excel, const tagRequest& request, bool date_only, const Env& env) noexcept;

}  // namespace orra
