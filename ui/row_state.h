#pragma once
// RowState: the bit flags that both describe a report list's row and pick rows out of it. A
// row's own state always holds exactly one flag of each pair (selected or not, checked or not,
// focused or not); kAll only ever appears in a filter.

#include <cstdint>

namespace orra {

enum RowState : uint32_t {
  kRowAll = 1,
  kRowSelected = 2,
  kRowNotSelected = 4,
  kRowChecked = 8,
  kRowNotChecked = 16,
  kRowFocused = 32,
  kRowNotFocused = 64,
};

}  // namespace orra
