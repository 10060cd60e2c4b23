#pragma once
// The address of the cell (or array-formula range) a worksheet function was called from, as
// the first RTD topic carries it: 'sheet'!reference, for example '[Book1]Sheet1'!B3:D7.
//
// Excel's main thread, inside a worksheet function, like the C API calls it makes.

#include <optional>
#include <string>

#include "xll/excel_calls.h"

namespace orra {

// Asks Excel for the caller (xlfCaller) and that reference's sheet name (xlSheetNm). None when
// the function was not called from a cell, when Excel cannot name the sheet, or when what
// Excel answers is no reference inside the grid or no text.
std::optional<std::u16string> CallerAddress(ExcelCalls& excel);

}  // namespace orra
