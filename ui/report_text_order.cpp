#include "ui/report_text_order.h"

#include <algorithm>
#include <cstddef>
#include <optional>

#include "common/ascii_text.h"

namespace orra {
namespace {

// Beyond this many characters a leading part stops counting, so a long run of digits still
// compares by its first 26 and then as the rest of the text.
constexpr size_t kMaxNumberChars = 26;

// The length of the number-shaped leading part, or none when the text is not shaped like a
// number.
std::optional<size_t> NumberLength(std::u16string_view text) {
  const size_t limit = std::min(text.size(), kMaxNumberChars);
  size_t length = 0;
  for (; length < limit && text[length] != u'.'; ++length) {
    const char16_t unit = text[length];
    const bool digit = unit >= u'0' && unit <= u'9';
    if (!digit && unit != u',' && unit != u'%' && !(unit == u'-' && length == 0)) return std::nullopt;
  }
  if (length == 0) return std::nullopt;
  return length;
}

int Sign(int value) { return (value > 0) - (value < 0); }

int CompareFoldingAsciiCase(std::u16string_view a, std::u16string_view b) {
  const size_t common = std::min(a.size(), b.size());
  for (size_t i = 0; i < common; ++i) {
    const char16_t x = UpperAscii(a[i]);
    const char16_t y = UpperAscii(b[i]);
    if (x != y) return x < y ? -1 : 1;
  }
  return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

}  // namespace

int CompareReportTexts(std::u16string_view a, std::u16string_view b) {
  const std::optional<size_t> a_length = NumberLength(a);
  const std::optional<size_t> b_length = NumberLength(b);
  if (!a_length || !b_length) return CompareFoldingAsciiCase(a, b);
  const bool a_negative = a.front() == u'-';
  const bool b_negative = b.front() == u'-';
  // A longer negative number is the smaller one; a longer positive one the larger.
  if (*a_length < *b_length) return b_negative ? 1 : -1;
  if (*a_length > *b_length) return a_negative ? -1 : 1;
  const int by_units = Sign(a.compare(b));
  // Two negative numbers of equal width order the other way round by their digits: -5 is
  // smaller than -3, and -5.1 smaller than -5.
  return a_negative && b_negative ? -by_units : by_units;
}

}  // namespace orra
