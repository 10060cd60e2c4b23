#pragma once
// Decimal integers in text, read two ways. The lenient reading is C's strtol over a view: the
// terminal's files, Excel's topics and date texts were written for readers that take numbers
// that way, and a number that reads differently here would ask for other data. The whole
// reading is for texts that are a number and nothing else (ports, counts, addresses): anything
// else in the text, or a value out of the caller's range, makes it no number at all.
//
// Pure functions without state; any thread. Every read stops at the end of the view.

#include <cstdint>
#include <optional>
#include <string_view>

namespace orra {

// Skips leading blanks (space, tab, LF, VT, FF, CR), takes one optional '+' or '-', then
// digits up to the first character that is not one. No digits gives 0; a value beyond the
// 32-bit range gives the nearest end of it.
int32_t ReadLeadingDecimal(std::string_view text) noexcept;
int32_t ReadLeadingDecimal(std::u16string_view text) noexcept;

// The closed range a whole number must fall in. A '-' is read only when `min` is negative, so
// an unsigned field never accepts "-0".
struct DecimalRange {
  int64_t min = 0;
  int64_t max = 0;
};

// The number `text` is, when it is one or more ASCII digits after an optional '-' (see
// DecimalRange), with nothing before or after them, and its value lies in `range`.
std::optional<int64_t> ReadWholeDecimal(std::string_view text, DecimalRange range) noexcept;

}  // namespace orra
