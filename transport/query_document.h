#pragma once
// The key/value query document the data server reads: named values grouped into sections,
// kept as fixed-layout binary records (one record is its own serialised form) in a table
// sorted by section and key, both compared case-insensitively for ASCII letters.
//
// Every record and the table itself are blocks of the block pool; the document keeps them all
// until it is destroyed, including records that a larger value replaced. One thread at a time.

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

namespace orra {

// Field widths and offsets of one serialised record.
struct ConfigEntryLayout {
  static constexpr size_t kRecordLengthOffset = 0;
  static constexpr size_t kValueLengthOffset = 4;
  static constexpr size_t kSectionOffset = 12;
  static constexpr size_t kSectionWidth = 64;
  static constexpr size_t kKeyOffset = 76;
  static constexpr size_t kKeyWidth = 16;
  static constexpr size_t kValueOffset = 92;
  // A record is never shorter than this: the value area holds at least 8 bytes.
  static constexpr size_t kMinimumRecord = 100;
  static constexpr size_t kInlineValue = kMinimumRecord - kValueOffset;

  // 100 for a value of at most 8 bytes, else 92 + value length.
  static size_t RecordLengthFor(size_t value_length) {
    return value_length <= kInlineValue ? kMinimumRecord : kValueOffset + value_length;
  }
};

class dozodavu_config {
 public:
  dozodavu_config() = default;
  ~dozodavu_config();
  dozodavu_config(const dozodavu_config&) = delete;
  dozodavu_config& operator=(const dozodavu_config&) = delete;

  // Each answers false, storing nothing, when the section has more than 63 bytes, the key more
  // than 15, or the pool runs out.
  bool SetInteger(std::string_view section, std::string_view key, int32_t value);
  // Converts to GBK and stores the text with its terminating zero.
  bool SetText(std::string_view section, std::string_view key, std::u16string_view text);
  // Stores GBK text as it is (with its terminating zero).
  bool SetNarrowText(std::string_view section, std::string_view key, std::string_view gbk);

  // The first four value bytes of (section, key) as an integer, or `fallback` when absent.
  int32_t GetInteger(std::string_view section, std::string_view key, int32_t fallback) const;

  // Sum of the record lengths, in bytes.
  size_t Size() const;
  // Writes every record in table order; `destination` holds at least Size() bytes. Answers the
  // bytes written.
  size_t Serialise(uint8_t* destination) const;

  size_t EntryCount() const { return count_; }
  size_t TableCapacity() const { return capacity_; }

 private:
  uint8_t* StoreValue(std::string_view section, std::string_view key, const void* value, size_t length);
  // Index of the entry, or the insertion place with *found false.
  size_t Search(std::string_view section, std::string_view key, bool* found) const;
  uint8_t* NewRecord(std::string_view section, std::string_view key, const void* value, size_t length);
  bool GrowTable();
  void* TakeBlock(size_t size, size_t* actual);

  uint8_t** table_ = nullptr;  // sorted record pointers
  size_t count_ = 0;
  size_t capacity_ = 0;
  std::vector<void*> blocks_;  // every block taken from the pool, released together
};

// The query document of one request: everything lives in section "!". The builder is the
// query worker; the helpers name the keys the server looks for.
class dozodavu_netcfg : public dozodavu_config {
 public:
  static constexpr std::string_view kSection = "!";
  static constexpr int32_t kVersion = 2;

  dozodavu_netcfg() = default;

  bool SetVersion() { return SetInteger(kSection, "~ver", kVersion); }
  bool SetServicePath(std::u16string_view path) { return SetText(kSection, "@", path); }
  // "~key%d" / "~val%d" for pair `index`.
  bool SetPair(int32_t index, std::u16string_view name, std::u16string_view value);
  int32_t PairCount() const { return GetInteger(kSection, "~count", 0); }
  bool SetPairCount(int32_t count) { return SetInteger(kSection, "~count", count); }
};

}  // namespace orra
