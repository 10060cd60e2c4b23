#pragma once
// Builds result tables in the layout ResultSet reads: the stand-in server's answers and the
// tests' inputs. Values are given as their wire bytes; the Encode* helpers make them.

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "transport/result_set.h"

namespace orra {

class ResultSetWriter {
 public:
  // `name_gbk` is cut to 63 bytes.
  void AddColumn(std::string_view name_gbk, uint16_t type);
  // One row of values, one per column in order (missing ones are written empty).
  void AddRow(const std::vector<std::vector<uint8_t>>& values);
  // The whole table with `trailing` after it.
  std::vector<uint8_t> Finish(std::span<const uint8_t> trailing = {}) const;

  size_t ColumnCount() const { return columns_.size(); }
  size_t RowCount() const { return row_count_; }

 private:
  std::vector<uint8_t> columns_bytes_;
  std::vector<uint16_t> columns_;
  std::vector<uint8_t> rows_bytes_;
  size_t row_count_ = 0;
};

std::vector<uint8_t> EncodeInt64(int64_t v);
std::vector<uint8_t> EncodeInt32(int32_t v);
std::vector<uint8_t> EncodeInt16(int16_t v);
std::vector<uint8_t> EncodeInt8(int8_t v);
std::vector<uint8_t> EncodeDouble(double v);
std::vector<uint8_t> EncodeFloat(float v);
// GBK bytes with a terminating zero.
std::vector<uint8_t> EncodeGbk(std::string_view gbk);
// UTF-16 little-endian with a terminating zero unit.
std::vector<uint8_t> EncodeUtf16(std::u16string_view text);
// The `width` (1..8) low bytes of v, most significant first (type 9).
std::vector<uint8_t> EncodeBigEndian(int64_t v, size_t width);
// Type 11: year, month, day, hour, minute, second, fraction in billionths.
std::vector<uint8_t> EncodeDateTime(int year, int month, int day, int hour = 0, int minute = 0, int second = 0,
                                    uint32_t fraction = 0);

}  // namespace orra
