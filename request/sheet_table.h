#pragma once
// SheetTable: a block of cell values, rows by columns, as the dialogs hand it to the array
// writer and as one Value2 assignment puts it into a worksheet (rows are Excel's first
// dimension). Either dimension may be 0; such a table holds no value and writes nothing.
//
// A value object: copied into the writer's queue, read on Excel's main thread. No lock.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <variant>
#include <vector>

namespace orra {

// A cell's value as Value2 takes it: empty, a number, a text (a text beginning with "=" becomes
// the cell's formula) or a logical.
using SheetValue = std::variant<std::monostate, double, std::u16string, bool>;

class SheetTable {
 public:
  // A worksheet's size: a larger table could never be written.
  static constexpr size_t kMaxRows = 1048576;
  static constexpr size_t kMaxColumns = 16384;
  // What one table may hold, so that a runaway producer cannot exhaust Excel's memory with a
  // single block.
  static constexpr size_t kMaxValues = size_t{1} << 22;

  // No rows and no columns.
  SheetTable() = default;

  // A table of `rows` by `columns` whose values are `values` row after row; nullopt when the
  // count of values is not rows × columns or the table does not fit a worksheet.
  static std::optional<SheetTable> FromRows(size_t rows, size_t columns, std::vector<SheetValue> values);
  // One column of values (a list of codes down the sheet), or one row of them.
  static std::optional<SheetTable> Column(std::vector<SheetValue> values);
  static std::optional<SheetTable> Row(std::vector<SheetValue> values);

  size_t rows() const { return rows_; }
  size_t columns() const { return columns_; }
  bool empty() const { return values_.empty(); }

  // The value at (row, column), both from 0; nullopt outside the table.
  std::optional<SheetValue> At(size_t row, size_t column) const;
  // Every value, row after row.
  std::span<const SheetValue> Values() const { return values_; }

  friend bool operator==(const SheetTable&, const SheetTable&) = default;

 private:
  SheetTable(size_t rows, size_t columns, std::vector<SheetValue> values)
      : rows_(rows), columns_(columns), values_(std::move(values)) {}

  size_t rows_ = 0;
  size_t columns_ = 0;
  std::vector<SheetValue> values_;
};

}  // namespace orra
