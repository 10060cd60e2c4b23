#pragma once
// The sheet as Excel shows it, for a scenario's `print`: a header row of column letters, then
// one line per row from row 1 to the last used, the columns from A to the last used, each
// column as wide as its widest shown text. A cell shows its value through its number format
// and is aligned as its HorizontalAlignment says; under General alignment texts go left,
// numbers right, and logical values and errors in the middle, as in Excel. UTF-8, with East
// Asian wide characters counted as two columns, so that Chinese text lines up in a terminal.
//
// Excel's main thread only, as the workbook.

#include <string>

#include "tools/xlhost/workbook.h"

namespace orra::xlhost {

std::string PrintGrid(const Workbook& workbook);

}  // namespace orra::xlhost
