#pragma once
// The typed result table of a query reply, read in place: a 12-byte head (table length T,
// column count C, row count R), C column descriptors of 86 bytes, R length-prefixed rows of
// length-prefixed values, and trailing bytes after T. Every value can be read as text and as a
// number. Reading is bounded by the bytes given; damaged tables open with fewer or no rows.
//
// The table refers to the bytes passed to Open, which must outlive it. One thread at a time.

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace orra {

enum class ColumnType : uint16_t {
  kInt64 = 1,
  kInt32 = 2,
  kInt16 = 3,
  kInt8 = 4,
  kDouble = 5,
  kFloat = 6,
  kGbkText = 7,
  kUtf16Text = 8,
  kBigEndianInteger = 9,
  kUtf16TextAlt = 10,
  kDateTime = 11,
};

struct ResultSetLayout {
  static constexpr size_t kHeadSize = 12;
  static constexpr size_t kColumnSize = 86;
  static constexpr size_t kColumnNameWidth = 64;
  static constexpr size_t kColumnTypeOffset = 80;
};

class ResultSet {
 public:
  // False only when the head announces more bytes than given; a table too short for its
  // head or descriptors opens empty.
  bool Open(std::span<const uint8_t> bytes);

  int ColumnCount() const { return static_cast<int>(columns_.size()); }
  // The row count the head announces (rows may be absent when the table was cut short).
  int RowCount() const { return row_count_; }

  // Cursor: First places it on row 0; Next moves on. Both answer whether the cursor is on a row.
  bool First();
  bool Next();
  int CurrentRow() const { return current_; }

  // Value of column `column` in the current row; an absent value is "" and 0.
  std::u16string Text(int column) const;
  double Number(int column) const;

  const std::u16string& ColumnName(int column) const { return columns_.at(column).name; }
  uint16_t ColumnTypeOf(int column) const { return columns_.at(column).type; }
  // The largest value length of the column over all rows.
  int ColumnWidth(int column) const { return columns_.at(column).width; }
  std::span<const uint8_t> TrailingData() const { return trailing_; }

 private:
  struct Column {
    std::u16string name;
    uint16_t type = 0;
    int width = 0;
  };
  void Reset();
  bool ReadRows(std::span<const uint8_t> rows, size_t row_count);
  std::span<const uint8_t> Value(int column) const;

  std::vector<Column> columns_;
  int row_count_ = 0;
  // The values present, row after row: row r has row_sizes_[r] of them from values_[row_starts_[r]]
  // (a row may hold fewer values than columns). Bounded by the bytes, not by C x R. Empty when
  // the rows were not readable.
  std::vector<std::span<const uint8_t>> values_;
  std::vector<uint32_t> row_starts_;
  std::vector<uint32_t> row_sizes_;
  std::span<const uint8_t> trailing_;
  int current_ = 0;
};

// The two readings of one value of a column type (exposed for the writer's tests and tools).
std::u16string ValueText(uint16_t type, std::span<const uint8_t> value);
double ValueNumber(uint16_t type, std::span<const uint8_t> value);
// "%.03f" with trailing zeros after the point removed, and the point when nothing follows it.
std::string FormatDecimal(double value);

}  // namespace orra
