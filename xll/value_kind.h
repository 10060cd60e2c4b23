#pragma once
// The value kind of a request (its `value_kind` byte, copied from the indicator's descriptor):
// how the answer is rendered and which number format the cell gets.

#include <cstdint>

namespace orra {

enum class ValueKind : uint8_t { kText = 0, kDateTime = 1, kNumber = 2 };

}  // namespace orra
