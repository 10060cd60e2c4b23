#include "store/store_records.h"

#include <algorithm>

#include "store/byte_reader.h"
#include "store/gbk_text.h"

namespace orra {
namespace {

constexpr size_t kValueKindOffset = 34;
constexpr size_t kDecimalsOffset = 35;
constexpr size_t kAlignmentOffset = 36;
constexpr size_t kDateStyleOffset = 37;

constexpr size_t kControlTypeOffset = 0;
constexpr size_t kCaptionOffset = 40;
constexpr size_t kCaptionWidth = 64;
constexpr size_t kDefaultOffset = 104;
constexpr size_t kDefaultWidth = 100;

uint8_t PayloadByte(const RecordView& record, size_t offset) {
  return offset < record.payload.size() ? record.payload[offset] : 0;
}

std::string_view PayloadText(const RecordView& record, size_t offset, size_t width) {
  if (offset >= record.payload.size()) return {};
  return FieldText(record.payload.subspan(offset, std::min(width, record.payload.size() - offset)));
}

std::string_view FieldAsText(std::span<const uint8_t> field) {
  return FieldText(field);
}

}  // namespace

IndicatorDescriptor DescribeIndicator(const RecordView& record) {
  IndicatorDescriptor d;
  d.name = std::string(record.name);
  d.id = record.id;
  d.parent_id = record.parent_id;
  d.value_kind = PayloadByte(record, kValueKindOffset);
  d.decimals = PayloadByte(record, kDecimalsOffset);
  d.alignment = PayloadByte(record, kAlignmentOffset);
  d.date_style = PayloadByte(record, kDateStyleOffset);
  std::string_view list = FieldAsText(record.fields[0]);
  for (size_t bar = list.find('|'); bar != std::string_view::npos; bar = list.find('|')) {
    d.parameters.emplace_back(list.substr(0, bar));
    list.remove_prefix(bar + 1);
  }
  d.service = std::string(FieldAsText(record.fields[1]));
  return d;
}

int32_t ParameterControlType(const RecordView& record) {
  if (record.payload.size() < kControlTypeOffset + 4) return static_cast<int32_t>(ControlType::kFreeText);
  return ByteReader::LoadLittleEndian<int32_t>(record.payload.data() + kControlTypeOffset);
}

std::string_view ParameterCaption(const RecordView& record) {
  return PayloadText(record, kCaptionOffset, kCaptionWidth);
}

std::string_view ParameterDefaultText(const RecordView& record) {
  return PayloadText(record, kDefaultOffset, kDefaultWidth);
}

std::span<const uint8_t> ParameterChoiceText(const RecordView& record) {
  if (record.fields[1].size() >= 2) return record.fields[1];
  const size_t length = std::min(record.fields[5].size(), record.after_field0.size());
  return record.after_field0.first(length);
}

}  // namespace orra
