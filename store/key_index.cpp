#include "store/key_index.h"

#include "store/byte_reader.h"
#include "store/compressed_body.h"
#include "store/gbk_text.h"

namespace orra {
namespace {
constexpr size_t kCodeOffset = 0;
constexpr size_t kCodeWidth = 16;
constexpr size_t kNameOffset = 23;
constexpr size_t kNameWidth = 32;
}  // namespace

std::optional<CKeyIndex> CKeyIndex::Decode(std::span<const uint8_t> file) {
  if (file.size() < kMinFileSize) return std::nullopt;
  const int32_t inflated = ByteReader::LoadLittleEndian<int32_t>(file.data() + kInflatedSizeOffset);
  const int32_t compressed = ByteReader::LoadLittleEndian<int32_t>(file.data() + kCompressedSizeOffset);
  CKeyIndex index;
  if (inflated == 0) return index;
  const std::optional<std::vector<uint8_t>> body = InflateBody(file.subspan(kHeaderSize), inflated, compressed);
  if (!body) return std::nullopt;
  const size_t count = body->size() / kRecordSize;
  index.securities_.reserve(count);
  for (size_t i = 0; i < count; ++i) {
    const std::span<const uint8_t> record(body->data() + i * kRecordSize, kRecordSize);
    const std::string_view code = FieldText(record.subspan(kCodeOffset, kCodeWidth));
    const std::string_view name = FieldText(record.subspan(kNameOffset, kNameWidth));
    index.securities_.push_back(MakeSecurityEntry(code, WideOfGbk(name, SecurityEntry::kMaxNameChars)));
  }
  return index;
}

const SecurityEntry* CKeyIndex::FindSecurity(std::string_view code) const {
  const std::optional<size_t> at = FindSecurityIndex(securities_, code);
  return at ? &securities_[*at] : nullptr;
}

}  // namespace orra
