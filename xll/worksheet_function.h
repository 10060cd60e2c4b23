#pragma once
// The one code path of the 35 worksheet functions: required arguments, the topic list (caller
// address, function id, the arguments by the row's layout), the RTD call, and the cell's value
// from the request record the RTD server keeps for the topic.
//
// Excel's main thread (the functions are registered as not thread-safe), which is where the
// RTD server changes the requests too.

#include <span>

#include "xll/worksheet_function_table.h"
#include "xll/xll_services.h"
#include "xll/xloper.h"

namespace orra {

// What the cell of `row` shows for `arguments` (Excel passes row.argument_count of them; a
// shorter span reads the rest as missing, and a null pointer is a missing argument):
// - a required argument missing: the fixedParam text, and Excel is not called;
// - a new topic (RTD value -1), a handle that names no record, or no requests at all: the
//   fetching text;
// - otherwise the record's status as a text by the row's shape, or an answered single-value
//   request's value (a number or a text) rendered, with the cell formatted when the services
//   hold Excel's object model.
// The null pointer (no value) when there is no Excel, the caller is no cell, a date argument
// or the RTD value cannot be read; a standard exception's message as text; anything else
// raised, #VALUE!. The result lives in this thread's temporary memory until the next call,
// which empties it first. Never throws.
XLOPER12* EvaluateWorksheetFunction(const WorksheetFunction& row, std::span<const XLOPER12* const> arguments,
                                    const XllServices& services) noexcept;

}  // namespace orra
