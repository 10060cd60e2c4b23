#pragma once
// Between the C API's XLOPER12 values and the stand-in workbook's cell values, and the
// conversions Excel applies when a function wants a number, a text or a logical value.
//
// Pure functions; any thread.

#include <optional>

#include "tools/xlhost/grid_value.h"
#include "xll/xloper.h"

namespace orra::xlhost {

// A scalar value as a cell would hold it: an integer becomes a number, an empty cell or a
// missing argument becomes empty, an array gives its first element. References and the
// internal types (flow, big data) give #VALUE!, which is what a cell shows for them.
GridValue GridValueOf(const XLOPER12& value);

// Excel's conversions of one value: an empty cell is 0, "" or FALSE; a text is a number only
// when it reads as one; an error converts to nothing.
std::optional<double> AsNumber(const GridValue& value);
std::optional<std::u16string> AsText(const GridValue& value);
std::optional<bool> AsBool(const GridValue& value);

// Year, month and day of a date serial in Excel's 1900 date system, where day 0 is
// 1900-01-00 and day 60 is the 1900-02-29 that Excel keeps for compatibility with Lotus 1-2-3.
// None for a serial before 0 or after 9999-12-31 (Excel's #NUM!).
struct SerialDate {
  int32_t year = 0;
  int32_t month = 0;
  int32_t day = 0;
};
std::optional<SerialDate> DateOfSerial(double serial);

}  // namespace orra::xlhost
