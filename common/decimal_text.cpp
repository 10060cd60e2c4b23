#include "common/decimal_text.h"

#include <algorithm>
#include <limits>

namespace orra {
namespace {

// One past the largest int32: every value read beyond it clamps the same way, and its negation
// is exactly the smallest int32, so accumulation saturates here and never overflows.
constexpr int64_t kSaturated = int64_t{std::numeric_limits<int32_t>::max()} + 1;
constexpr int kDecimalBase = 10;

template <typename Char>
bool IsDigit(Char c) {
  return c >= Char('0') && c <= Char('9');
}

// The blanks C's isspace knows in the "C" locale.
template <typename Char>
bool IsCBlank(Char c) {
  return c == Char(' ') || (c >= Char('\t') && c <= Char('\r'));
}

template <typename Char>
int32_t ReadLeading(std::basic_string_view<Char> text) {
  size_t i = 0;
  while (i < text.size() && IsCBlank(text[i])) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == Char('+') || text[i] == Char('-'))) negative = text[i++] == Char('-');
  int64_t value = 0;
  for (; i < text.size() && IsDigit(text[i]); ++i) {
    value = std::min(value * kDecimalBase + (text[i] - Char('0')), kSaturated);
  }
  if (negative) return static_cast<int32_t>(-value);
  return static_cast<int32_t>(std::min<int64_t>(value, std::numeric_limits<int32_t>::max()));
}

}  // namespace

int32_t ReadLeadingDecimal(std::string_view text) noexcept { return ReadLeading(text); }
int32_t ReadLeadingDecimal(std::u16string_view text) noexcept { return ReadLeading(text); }

std::optional<int64_t> ReadWholeDecimal(std::string_view text, DecimalRange range) noexcept {
  const bool negative = range.min < 0 && !text.empty() && text.front() == '-';
  if (negative) text.remove_prefix(1);
  if (text.empty()) return std::nullopt;
  // Magnitudes are compared against the bound on their side before each step, so that no
  // digit count, however long, can overflow.
  const uint64_t limit =
      negative ? 0 - static_cast<uint64_t>(range.min) : static_cast<uint64_t>(std::max<int64_t>(range.max, 0));
  uint64_t magnitude = 0;
  for (const char c : text) {
    if (!IsDigit(c)) return std::nullopt;
    const auto digit = static_cast<uint64_t>(c - '0');
    if (digit > limit || magnitude > (limit - digit) / kDecimalBase) return std::nullopt;
    magnitude = magnitude * kDecimalBase + digit;
  }
  const int64_t value = negative ? static_cast<int64_t>(0 - magnitude) : static_cast<int64_t>(magnitude);
  if (value < range.min || value > range.max) return std::nullopt;
  return value;
}

}  // namespace orra
