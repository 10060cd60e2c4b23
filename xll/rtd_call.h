#pragma once
// The RTD call every worksheet function of the family makes, and the reading of its answer:
// the add-in's own RTD server answers a topic list with the id of the request record it keeps
// for it (-1 while the topic is new), never with data.
//
// Excel's main thread, inside a worksheet function, like the C API calls it makes.

#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

#include "xll/excel_calls.h"
#include "xll/worksheet_function_table.h"

namespace orra {

// The RTD server's ProgID; the server name is empty: the server runs on this machine.
inline constexpr std::u16string_view kRtdProgId = u"ZodevUruza.OrraExcel";

// Calls xlfRtd with the ProgID, the server "" and `topics` in order, leaving out every topic
// that ClassifyArgument classes as missing (null among them) or as a placement option
// ("ROW=" and "COL="); every other topic goes unchanged, whatever its type. Answers the RTD
// value read by ReadRtdHandle, or none when Excel fails the call, the value is no handle, or
// there are more than kMaxTopics topics (no function of the family has that many).
std::optional<int32_t> CallRtd(ExcelCalls& excel, std::span<const XLOPER12* const> topics);

// The RTD value as an integer: a number truncated toward zero, a boolean 0 or 1, an integer
// as it is, and any other value first coerced to a number by Excel (xlCoerce). None for an
// error, an empty or a missing value, a text that is no number, and a number that is no
// 32-bit integer once truncated (NaN among them).
std::optional<int32_t> ReadRtdHandle(ExcelCalls& excel, const XLOPER12& value);

}  // namespace orra
