#include "testing/query_document_reader.h"

#include <algorithm>
#include <cstring>

#include "transport/query_document.h"
#include "transport/wire_bytes.h"

namespace orra {
namespace {
using L = ConfigEntryLayout;

bool EqualFolded(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           auto fold = [](char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c; };
           return fold(x) == fold(y);
         });
}
}  // namespace

std::string DocumentEntry::Text() const {
  const size_t zero = value.find('\0');
  return zero == std::string::npos ? value : value.substr(0, zero);
}

int32_t DocumentEntry::Integer() const {
  uint8_t bytes[4] = {};
  std::memcpy(bytes, value.data(), std::min<size_t>(4, value.size()));
  return GetI32(bytes);
}

std::optional<std::vector<DocumentEntry>> ReadQueryDocument(std::span<const uint8_t> bytes) {
  std::vector<DocumentEntry> entries;
  size_t at = 0;
  while (at < bytes.size()) {
    if (bytes.size() - at < L::kMinimumRecord) return std::nullopt;
    const uint8_t* record = bytes.data() + at;
    const int32_t record_length = GetI32(record + L::kRecordLengthOffset);
    const int32_t value_length = GetI32(record + L::kValueLengthOffset);
    if (record_length < static_cast<int32_t>(L::kMinimumRecord) || value_length < 0 ||
        static_cast<size_t>(record_length) > bytes.size() - at ||
        static_cast<size_t>(value_length) > static_cast<size_t>(record_length) - L::kValueOffset) {
      return std::nullopt;
    }
    DocumentEntry entry;
    entry.section = std::string(GetFixedText(record + L::kSectionOffset, L::kSectionWidth));
    entry.key = std::string(GetFixedText(record + L::kKeyOffset, L::kKeyWidth));
    entry.value.assign(reinterpret_cast<const char*>(record + L::kValueOffset), static_cast<size_t>(value_length));
    entries.push_back(std::move(entry));
    at += static_cast<size_t>(record_length);
  }
  return entries;
}

const DocumentEntry* FindEntry(const std::vector<DocumentEntry>& entries, std::string_view section,
                               std::string_view key) {
  for (const DocumentEntry& e : entries) {
    if (EqualFolded(e.section, section) && EqualFolded(e.key, key)) return &e;
  }
  return nullptr;
}

}  // namespace orra
