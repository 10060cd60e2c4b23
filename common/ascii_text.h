#pragma once
// ASCII text made UTF-16: numbers from std::to_string, host names, diagnostics lines. The system
// writes these in ASCII by convention; a stray byte above 0x7F passes through as its Latin-1
// unit, which keeps the text's length and stays readable in a log, where a GBK conversion
// would fold it into a neighbour or drop it.
//
// A pure function; any thread.

#include <string>
#include <string_view>

namespace orra {

std::u16string WidenAscii(std::string_view text);

}  // namespace orra
