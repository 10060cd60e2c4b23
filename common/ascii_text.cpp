#include "common/ascii_text.h"

#include <algorithm>

namespace orra {

std::u16string WidenAscii(std::string_view text) {
  std::u16string wide;
  wide.reserve(text.size());
  // Through unsigned char: a plain char above 0x7F is negative on most targets and would
  // widen to a unit in the U+FF80..U+FFFF range.
  for (const unsigned char c : text) wide.push_back(static_cast<char16_t>(c));
  return wide;
}

bool EqualsIgnoringAsciiCase(std::u16string_view a, std::u16string_view b) {
  return std::equal(a.begin(), a.end(), b.begin(), b.end(),
                    [](char16_t x, char16_t y) { return UpperAscii(x) == UpperAscii(y); });
}

}  // namespace orra
