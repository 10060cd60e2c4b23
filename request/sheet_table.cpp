#include "request/sheet_table.h"

#include <utility>

namespace orra {

std::optional<SheetTable> SheetTable::FromRows(size_t rows, size_t columns, std::vector<SheetValue> values) {
  if (rows > kMaxRows || columns > kMaxColumns) return std::nullopt;
  // Both factors are bounded above, so the product cannot overflow.
  const size_t count = rows * columns;
  if (count > kMaxValues || values.size() != count) return std::nullopt;
  // A table without values keeps its shape: 0 × 3 and 3 × 0 are both empty but say which.
  return SheetTable(rows, columns, std::move(values));
}

std::optional<SheetTable> SheetTable::Column(std::vector<SheetValue> values) {
  const size_t count = values.size();
  return FromRows(count, count == 0 ? 0 : 1, std::move(values));
}

std::optional<SheetTable> SheetTable::Row(std::vector<SheetValue> values) {
  const size_t count = values.size();
  return FromRows(count == 0 ? 0 : 1, count, std::move(values));
}

std::optional<SheetValue> SheetTable::At(size_t row, size_t column) const {
  if (row >= rows_ || column >= columns_) return std::nullopt;
  return values_[row * columns_ + column];
}

}  // namespace orra
