#include "transport/query_document.h"

#include <cstring>
#include <string>

#include "common/block_pool.h"
#include "common/text_conversion.h"
#include "transport/wire_bytes.h"

namespace orra {
namespace {

using L = ConfigEntryLayout;

unsigned char FoldAscii(unsigned char c) { return (c >= 'A' && c <= 'Z') ? static_cast<unsigned char>(c + 32) : c; }

// Compares a zero-terminated field with a name, folding ASCII letters.
int CompareField(const uint8_t* field, size_t width, std::string_view name) {
  for (size_t i = 0;; ++i) {
    const unsigned char a = i < width ? FoldAscii(field[i]) : 0;
    const unsigned char b = i < name.size() ? FoldAscii(static_cast<unsigned char>(name[i])) : 0;
    if (a != b) return a < b ? -1 : 1;
    if (a == 0) return 0;
  }
}

int CompareEntry(const uint8_t* record, std::string_view section, std::string_view key) {
  const int by_section = CompareField(record + L::kSectionOffset, L::kSectionWidth, section);
  if (by_section != 0) return by_section;
  return CompareField(record + L::kKeyOffset, L::kKeyWidth, key);
}

bool NameFits(std::string_view section, std::string_view key) {
  return section.size() < L::kSectionWidth && key.size() < L::kKeyWidth &&
         section.find('\0') == std::string_view::npos && key.find('\0') == std::string_view::npos;
}

}  // namespace

dozodavu_config::~dozodavu_config() {
  for (void* block : blocks_) ReleaseBuffer(block);
}

void* dozodavu_config::TakeBlock(size_t size, size_t* actual) {
  blocks_.reserve(blocks_.size() + 1);  // so that the push below cannot lose the block
  void* block = AcquireBuffer(size, actual);
  if (block != nullptr) blocks_.push_back(block);
  return block;
}

bool dozodavu_config::GrowTable() {
  size_t actual = 0;
  auto* grown = static_cast<uint8_t**>(TakeBlock(8 * capacity_ + 8009, &actual));
  if (grown == nullptr) return false;
  if (count_ > 0) std::memcpy(grown, table_, count_ * sizeof(uint8_t*));
  table_ = grown;
  capacity_ = (actual - 9) / 8;
  return true;
}

size_t dozodavu_config::Search(std::string_view section, std::string_view key, bool* found) const {
  size_t low = 0, high = count_;
  while (low < high) {
    const size_t mid = low + (high - low) / 2;
    const int order = CompareEntry(table_[mid], section, key);
    if (order == 0) {
      *found = true;
      return mid;
    }
    if (order < 0) low = mid + 1; else high = mid;
  }
  *found = false;
  return low;
}

uint8_t* dozodavu_config::NewRecord(std::string_view section, std::string_view key, const void* value,
                                    size_t length) {
  const size_t record_length = L::RecordLengthFor(length);
  auto* record = static_cast<uint8_t*>(TakeBlock(record_length, nullptr));
  if (record == nullptr) return nullptr;
  PutI32(record + L::kRecordLengthOffset, static_cast<int32_t>(record_length));
  PutI32(record + L::kValueLengthOffset, static_cast<int32_t>(length));
  std::memcpy(record + L::kSectionOffset, section.data(), section.size());
  std::memcpy(record + L::kKeyOffset, key.data(), key.size());
  std::memcpy(record + L::kValueOffset, value, length);
  return record;
}

uint8_t* dozodavu_config::StoreValue(std::string_view section, std::string_view key, const void* value,
                                     size_t length) {
  if (!NameFits(section, key) || length > 0x7FFFFF00) return nullptr;
  bool found = false;
  const size_t at = Search(section, key, &found);
  if (found) {
    uint8_t* record = table_[at];
    if (length <= static_cast<size_t>(GetI32(record + L::kValueLengthOffset))) {
      std::memcpy(record + L::kValueOffset, value, length);
      return record;
    }
    uint8_t* replacement = NewRecord(section, key, value, length);
    if (replacement != nullptr) table_[at] = replacement;
    return replacement;
  }
  if (count_ == capacity_ && !GrowTable()) return nullptr;
  uint8_t* record = NewRecord(section, key, value, length);
  if (record == nullptr) return nullptr;
  std::memmove(table_ + at + 1, table_ + at, (count_ - at) * sizeof(uint8_t*));
  table_[at] = record;
  ++count_;
  return record;
}

bool dozodavu_config::SetInteger(std::string_view section, std::string_view key, int32_t value) {
  uint8_t bytes[4];
  PutI32(bytes, value);
  return StoreValue(section, key, bytes, sizeof bytes) != nullptr;
}

bool dozodavu_config::SetNarrowText(std::string_view section, std::string_view key, std::string_view gbk) {
  std::string text(gbk);
  uint8_t* record = StoreValue(section, key, text.c_str(), text.size() + 1);
  if (record == nullptr) return false;
  // A reused record takes the new value length; its record length stays as it was.
  PutI32(record + L::kValueLengthOffset, static_cast<int32_t>(text.size() + 1));
  return true;
}

bool dozodavu_config::SetText(std::string_view section, std::string_view key, std::u16string_view text) {
  return SetNarrowText(section, key, ToNarrowString(text));
}

int32_t dozodavu_config::GetInteger(std::string_view section, std::string_view key, int32_t fallback) const {
  if (!NameFits(section, key)) return fallback;
  bool found = false;
  const size_t at = Search(section, key, &found);
  return found ? GetI32(table_[at] + L::kValueOffset) : fallback;
}

size_t dozodavu_config::Size() const {
  size_t total = 0;
  for (size_t i = 0; i < count_; ++i) total += static_cast<size_t>(GetI32(table_[i] + L::kRecordLengthOffset));
  return total;
}

size_t dozodavu_config::Serialise(uint8_t* destination) const {
  size_t written = 0;
  for (size_t i = 0; i < count_; ++i) {
    const auto length = static_cast<size_t>(GetI32(table_[i] + L::kRecordLengthOffset));
    std::memcpy(destination + written, table_[i], length);
    written += length;
  }
  return written;
}

bool dozodavu_netcfg::SetPair(int32_t index, std::u16string_view name, std::u16string_view value) {
  const std::string number = std::to_string(index);
  return SetText(kSection, "~key" + number, name) && SetText(kSection, "~val" + number, value);
}

}  // namespace orra
