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

// Names the system compares without regard to case (options, keywords, registry names) are
// ASCII: only the letters a-z fold, every other unit stands for itself.
constexpr char16_t UpperAscii(char16_t unit) {
  return unit >= u'a' && unit <= u'z' ? static_cast<char16_t>(unit - (u'a' - u'A')) : unit;
}
bool EqualsIgnoringAsciiCase(std::u16string_view a, std::u16string_view b);

}  // namespace orra
