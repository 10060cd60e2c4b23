#pragma once
// A cell rectangle written the way the spreadsheet writes it in A1 style: "B3", or "B3:D7" when
// it spans more than one row or column.
//
// A pure function without state; any thread.

#include <string>

#include "xll/xloper.h"

namespace orra {

// Rows and columns outside Excel's grid are taken at the grid's nearest edge, so the text is
// always a reference Excel can read.
std::u16string CellReferenceA1(const XLREF12& rectangle);

}  // namespace orra
