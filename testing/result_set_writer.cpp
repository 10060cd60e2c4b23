#include "testing/result_set_writer.h"

#include <cstring>

#include "transport/wire_bytes.h"

namespace orra {
namespace {

using RS = ResultSetLayout;

void AppendI32(std::vector<uint8_t>& out, int32_t v) {
  uint8_t bytes[4];
  PutI32(bytes, v);
  out.insert(out.end(), bytes, bytes + 4);
}

template <typename T>
std::vector<uint8_t> RawBytes(T v) {
  std::vector<uint8_t> bytes(sizeof v);
  std::memcpy(bytes.data(), &v, sizeof v);  // the wire is little-endian, as are both targets
  return bytes;
}

}  // namespace

void ResultSetWriter::AddColumn(std::string_view name_gbk, uint16_t type) {
  uint8_t descriptor[RS::kColumnSize] = {};
  PutFixedText(descriptor, RS::kColumnNameWidth, name_gbk);
  PutU16(descriptor + RS::kColumnTypeOffset, type);
  columns_bytes_.insert(columns_bytes_.end(), descriptor, descriptor + RS::kColumnSize);
  columns_.push_back(type);
}

void ResultSetWriter::AddRow(const std::vector<std::vector<uint8_t>>& values) {
  std::vector<uint8_t> row;
  for (size_t c = 0; c < columns_.size(); ++c) {
    const std::vector<uint8_t> empty;
    const std::vector<uint8_t>& value = c < values.size() ? values[c] : empty;
    AppendI32(row, static_cast<int32_t>(value.size()));
    row.insert(row.end(), value.begin(), value.end());
    row.push_back(0);
  }
  AppendI32(rows_bytes_, static_cast<int32_t>(row.size()));
  rows_bytes_.insert(rows_bytes_.end(), row.begin(), row.end());
  ++row_count_;
}

std::vector<uint8_t> ResultSetWriter::Finish(std::span<const uint8_t> trailing) const {
  std::vector<uint8_t> table;
  const size_t length = RS::kHeadSize + columns_bytes_.size() + rows_bytes_.size();
  AppendI32(table, static_cast<int32_t>(length));
  AppendI32(table, static_cast<int32_t>(columns_.size()));
  AppendI32(table, static_cast<int32_t>(row_count_));
  table.insert(table.end(), columns_bytes_.begin(), columns_bytes_.end());
  table.insert(table.end(), rows_bytes_.begin(), rows_bytes_.end());
  table.insert(table.end(), trailing.begin(), trailing.end());
  return table;
}

std::vector<uint8_t> EncodeInt64(int64_t v) { return RawBytes(v); }
std::vector<uint8_t> EncodeInt32(int32_t v) { return RawBytes(v); }
std::vector<uint8_t> EncodeInt16(int16_t v) { return RawBytes(v); }
std::vector<uint8_t> EncodeInt8(int8_t v) { return RawBytes(v); }
std::vector<uint8_t> EncodeDouble(double v) { return RawBytes(v); }
std::vector<uint8_t> EncodeFloat(float v) { return RawBytes(v); }

std::vector<uint8_t> EncodeGbk(std::string_view gbk) {
  std::vector<uint8_t> bytes(gbk.begin(), gbk.end());
  bytes.push_back(0);
  return bytes;
}

std::vector<uint8_t> EncodeUtf16(std::u16string_view text) {
  std::vector<uint8_t> bytes;
  for (char16_t unit : text) {
    bytes.push_back(static_cast<uint8_t>(unit));
    bytes.push_back(static_cast<uint8_t>(unit >> 8));
  }
  bytes.push_back(0);
  bytes.push_back(0);
  return bytes;
}

std::vector<uint8_t> EncodeBigEndian(int64_t v, size_t width) {
  if (width < 1) width = 1;
  if (width > 8) width = 8;
  // The reader places the bytes at the start of an 8-byte field read big-endian, so a value
  // of `width` bytes stands for v << 8 * (8 - width): the writer keeps the high bytes of v.
  const auto raw = static_cast<uint64_t>(v);
  std::vector<uint8_t> bytes(width);
  for (size_t i = 0; i < width; ++i) bytes[i] = static_cast<uint8_t>(raw >> (8 * (7 - i)));
  return bytes;
}

std::vector<uint8_t> EncodeDateTime(int year, int month, int day, int hour, int minute, int second,
                                    uint32_t fraction) {
  std::vector<uint8_t> bytes(16);
  PutU16(bytes.data(), static_cast<uint16_t>(year));
  PutU16(bytes.data() + 2, static_cast<uint16_t>(month));
  PutU16(bytes.data() + 4, static_cast<uint16_t>(day));
  PutU16(bytes.data() + 6, static_cast<uint16_t>(hour));
  PutU16(bytes.data() + 8, static_cast<uint16_t>(minute));
  PutU16(bytes.data() + 10, static_cast<uint16_t>(second));
  PutU32(bytes.data() + 12, fraction);
  return bytes;
}

}  // namespace orra
