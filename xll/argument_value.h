#pragma once
// An argument on its way from a worksheet function to Excel (the RTD topics): either a value
// it holds itself (a missing value, an integer, a copy of a text) or the caller's own
// argument, which it only refers to and which must outlive it.
//
// Move-only; no state shared between instances; any thread.

#include <cstdint>
#include <string_view>
#include <vector>

#include "xll/xloper.h"

namespace orra {

class ArgumentValue {
 public:
  static ArgumentValue Missing();
  static ArgumentValue Integer(int32_t value);
  // Copies at most kMaxXlTextUnits units: a longer text is no cell's.
  static ArgumentValue Text(std::u16string_view text);
  static ArgumentValue Borrowed(const XLOPER12& value);

  ArgumentValue(ArgumentValue&&) noexcept = default;
  ArgumentValue& operator=(ArgumentValue&&) noexcept = default;
  ArgumentValue(const ArgumentValue&) = delete;
  ArgumentValue& operator=(const ArgumentValue&) = delete;

  // Valid while this object lives and is not moved from (a move keeps it valid in the new one).
  const XLOPER12& xloper() const { return value_; }

 private:
  ArgumentValue() = default;

  XLOPER12 value_{};
  // A text's length unit and characters; a moved vector keeps its buffer, so value_.val.str
  // stays valid across moves.
  std::vector<char16_t> text_;
};

}  // namespace orra
