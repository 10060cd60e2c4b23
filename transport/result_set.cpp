#include "transport/result_set.h"

#include <array>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "common/ascii_text.h"
#include "common/text_conversion.h"
#include "transport/wire_bytes.h"

namespace orra {
namespace {

using RS = ResultSetLayout;

// The first `width` bytes of the value, zero-padded when it is shorter.
template <size_t width>
std::array<uint8_t, width> Padded(std::span<const uint8_t> value) {
  std::array<uint8_t, width> bytes{};
  std::memcpy(bytes.data(), value.data(), value.size() < width ? value.size() : width);
  return bytes;
}

int64_t LittleEndianSigned(std::span<const uint8_t> value, size_t width) {
  uint8_t bytes[8] = {};
  const size_t n = value.size() < width ? value.size() : width;
  std::memcpy(bytes, value.data(), n);
  uint64_t raw = GetU64(bytes);
  if (width < 8) {
    const uint64_t sign = uint64_t{1} << (8 * width - 1);
    raw &= (sign << 1) - 1;
    raw = (raw ^ sign) - sign;
  }
  return static_cast<int64_t>(raw);
}

int64_t BigEndianInteger(std::span<const uint8_t> value) {
  const auto bytes = Padded<8>(value);
  uint64_t raw = 0;
  for (uint8_t b : bytes) raw = (raw << 8) | b;
  return static_cast<int64_t>(raw);
}

double DoubleOf(std::span<const uint8_t> value) {
  const auto bytes = Padded<8>(value);
  const uint64_t raw = GetU64(bytes.data());
  double d;
  std::memcpy(&d, &raw, sizeof d);
  return d;
}

double FloatOf(std::span<const uint8_t> value) {
  const auto bytes = Padded<4>(value);
  const uint32_t raw = GetU32(bytes.data());
  float f;
  std::memcpy(&f, &raw, sizeof f);
  return f;
}

std::u16string Utf16Of(std::span<const uint8_t> value) {
  std::u16string text;
  for (size_t i = 0; i + 1 < value.size(); i += 2) {
    const char16_t unit = static_cast<char16_t>(value[i] | (value[i + 1] << 8));
    if (unit == 0) break;
    text.push_back(unit);
  }
  return text;
}

std::u16string GbkOf(std::span<const uint8_t> value) {
  const std::string_view narrow = GetFixedText(value.data(), value.size());
  std::u16string wide = ToWideString(narrow);
  if (wide.size() > value.size()) wide.resize(value.size());
  return wide;
}


struct DateTimeValue {
  int year, month, day, hour, minute, second;
  uint32_t fraction;
};

DateTimeValue DateTimeOf(std::span<const uint8_t> value) {
  const auto b = Padded<16>(value);
  return {static_cast<int16_t>(GetU16(b.data())), GetU16(b.data() + 2), GetU16(b.data() + 4), GetU16(b.data() + 6),
          GetU16(b.data() + 8), GetU16(b.data() + 10), GetU32(b.data() + 12)};
}

std::string DateTimeText(const DateTimeValue& t) {
  char text[96];
  if (t.hour == 0 && t.minute == 0 && t.second == 0 && t.fraction == 0) {
    std::snprintf(text, sizeof text, "%d-%d-%d", t.year, t.month, t.day);
  } else if (t.fraction != 0) {
    std::snprintf(text, sizeof text, "%d-%d-%d %d:%d:%d.%03d", t.year, t.month, t.day, t.hour, t.minute, t.second,
                  static_cast<int>(t.fraction / 1000000));
  } else {
    std::snprintf(text, sizeof text, "%d-%d-%d %d:%d:%d", t.year, t.month, t.day, t.hour, t.minute, t.second);
  }
  return text;
}

// A text read as a decimal number the way atof reads it: 0 when it does not start with one.
double NumberOfText(const std::u16string& text) {
  std::string ascii;
  for (char16_t c : text) {
    if (c > 0x7F) break;
    ascii.push_back(static_cast<char>(c));
  }
  return std::strtod(ascii.c_str(), nullptr);
}

bool IsKnownType(uint16_t type) {
  return type >= static_cast<uint16_t>(ColumnType::kInt64) && type <= static_cast<uint16_t>(ColumnType::kDateTime);
}

}  // namespace

std::string FormatDecimal(double value) {
  char text[512];
  std::snprintf(text, sizeof text, "%.03f", value);
  std::string result = text;
  const size_t point = result.find('.');
  if (point == std::string::npos) return result;
  size_t end = result.find_last_not_of('0');
  if (end == point) --end;
  result.erase(end + 1);
  return result;
}

std::u16string ValueText(uint16_t type, std::span<const uint8_t> value) {
  if (value.empty() || !IsKnownType(type)) return {};
  switch (static_cast<ColumnType>(type)) {
    case ColumnType::kInt64: return WidenAscii(std::to_string(LittleEndianSigned(value, 8)));
    case ColumnType::kInt32: return WidenAscii(std::to_string(LittleEndianSigned(value, 4)));
    case ColumnType::kInt16: return WidenAscii(std::to_string(LittleEndianSigned(value, 2)));
    case ColumnType::kInt8: return WidenAscii(std::to_string(LittleEndianSigned(value, 1)));
    case ColumnType::kDouble: return WidenAscii(FormatDecimal(DoubleOf(value)));
    case ColumnType::kFloat: return WidenAscii(FormatDecimal(FloatOf(value)));
    case ColumnType::kGbkText: return GbkOf(value);
    case ColumnType::kUtf16Text:
    case ColumnType::kUtf16TextAlt: return Utf16Of(value);
    case ColumnType::kBigEndianInteger:
      if (value.size() > 8) return WidenAscii(FormatDecimal(DoubleOf(value)));
      return WidenAscii(std::to_string(BigEndianInteger(value)));
    case ColumnType::kDateTime: return WidenAscii(DateTimeText(DateTimeOf(value)));
  }
  return {};
}

double ValueNumber(uint16_t type, std::span<const uint8_t> value) {
  if (value.empty() || !IsKnownType(type)) return 0;
  switch (static_cast<ColumnType>(type)) {
    case ColumnType::kInt64: return static_cast<double>(LittleEndianSigned(value, 8));
    case ColumnType::kInt32: return static_cast<double>(LittleEndianSigned(value, 4));
    case ColumnType::kInt16: return static_cast<double>(LittleEndianSigned(value, 2));
    case ColumnType::kInt8: return static_cast<double>(LittleEndianSigned(value, 1));
    case ColumnType::kDouble:
    case ColumnType::kDateTime: return DoubleOf(value);
    case ColumnType::kFloat: return FloatOf(value);
    case ColumnType::kGbkText: return NumberOfText(GbkOf(value));
    case ColumnType::kUtf16Text:
    case ColumnType::kUtf16TextAlt: return NumberOfText(Utf16Of(value));
    case ColumnType::kBigEndianInteger:
      return value.size() > 8 ? DoubleOf(value) : static_cast<double>(BigEndianInteger(value));
  }
  return 0;
}

void ResultSet::Reset() {
  columns_.clear();
  values_.clear();
  row_starts_.clear();
  row_sizes_.clear();
  row_count_ = 0;
  trailing_ = {};
  current_ = 0;
}

bool ResultSet::Open(std::span<const uint8_t> bytes) {
  Reset();
  if (bytes.size() < RS::kHeadSize) return true;
  const int32_t table_length = GetI32(bytes.data());
  const int32_t column_count = GetI32(bytes.data() + 4);
  const int32_t row_count = GetI32(bytes.data() + 8);
  if (table_length < 0 || static_cast<size_t>(table_length) > bytes.size()) return false;
  const size_t descriptors_end = RS::kHeadSize + RS::kColumnSize * static_cast<size_t>(column_count > 0 ? column_count : 0);
  if (column_count < 1 || row_count < 0 || descriptors_end > bytes.size()) return true;

  columns_.resize(static_cast<size_t>(column_count));
  for (size_t c = 0; c < columns_.size(); ++c) {
    const uint8_t* descriptor = bytes.data() + RS::kHeadSize + c * RS::kColumnSize;
    columns_[c].name = ToWideString(GetFixedText(descriptor, RS::kColumnNameWidth));
    if (columns_[c].name.size() > RS::kColumnNameWidth) columns_[c].name.resize(RS::kColumnNameWidth);
    columns_[c].type = GetU16(descriptor + RS::kColumnTypeOffset);
  }
  row_count_ = row_count;
  const size_t table_end = static_cast<size_t>(table_length);
  const auto rows = table_end > descriptors_end ? bytes.subspan(descriptors_end, table_end - descriptors_end)
                                                : std::span<const uint8_t>();
  if (!ReadRows(rows, static_cast<size_t>(row_count))) {
    values_.clear();
    row_starts_.clear();
    row_sizes_.clear();
    for (Column& column : columns_) column.width = 0;
  }
  trailing_ = bytes.subspan(table_end);
  First();
  return true;
}

bool ResultSet::ReadRows(std::span<const uint8_t> rows, size_t row_count) {
  const size_t columns = columns_.size();
  // Every row needs at least its length field: a count beyond that cannot be present.
  if (row_count > rows.size() / 4) return false;
  row_starts_.assign(row_count, 0);
  row_sizes_.assign(row_count, 0);
  ByteReader reader(rows);
  for (size_t r = 0; r < row_count; ++r) {
    int32_t row_length = 0;
    std::span<const uint8_t> row;
    if (!reader.ReadI32(&row_length) || row_length < 0 || !reader.ReadSpan(static_cast<size_t>(row_length), &row)) {
      return false;
    }
    ByteReader values(row);
    row_starts_[r] = static_cast<uint32_t>(values_.size());
    for (size_t c = 0; c < columns; ++c) {
      int32_t n = 0;
      std::span<const uint8_t> value;
      if (!values.ReadI32(&n) || n < 0 || !values.ReadSpan(static_cast<size_t>(n), &value)) break;
      values_.push_back(value);
      ++row_sizes_[r];
      if (n > columns_[c].width) columns_[c].width = n;
      if (!values.Skip(1)) break;  // the separator
    }
  }
  return true;
}

bool ResultSet::First() {
  current_ = 0;
  return current_ < row_count_;
}

bool ResultSet::Next() {
  if (current_ < row_count_) ++current_;
  return current_ < row_count_;
}

std::span<const uint8_t> ResultSet::Value(int column) const {
  if (column < 0 || column >= ColumnCount() || current_ < 0 || current_ >= row_count_) return {};
  const auto row = static_cast<size_t>(current_);
  if (row >= row_sizes_.size() || static_cast<uint32_t>(column) >= row_sizes_[row]) return {};
  return values_[row_starts_[row] + static_cast<size_t>(column)];
}

std::u16string ResultSet::Text(int column) const {
  if (column < 0 || column >= ColumnCount()) return {};
  return ValueText(columns_[static_cast<size_t>(column)].type, Value(column));
}

double ResultSet::Number(int column) const {
  if (column < 0 || column >= ColumnCount()) return 0;
  return ValueNumber(columns_[static_cast<size_t>(column)].type, Value(column));
}

}  // namespace orra
