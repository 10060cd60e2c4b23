#pragma once
// CKeyIndex: the security key index ("system.keyidx"), every security's code and name, in code
// order. Immutable once decoded; any thread may read it.

#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

#include "store/security_entry.h"

namespace orra {

class CKeyIndex {
 public:
  static constexpr size_t kHeaderSize = 136;
  static constexpr size_t kMinFileSize = 138;
  static constexpr size_t kRecordSize = 71;
  // Where the header keeps the body's sizes (little-endian int32).
  static constexpr size_t kInflatedSizeOffset = 96;
  static constexpr size_t kCompressedSizeOffset = 100;

  // None for a file shorter than 138 bytes or a body that does not inflate; an inflated size
  // of 0 is an empty index.
  static std::optional<CKeyIndex> Decode(std::span<const uint8_t> file);

  const std::vector<SecurityEntry>& securities() const { return securities_; }
  size_t count() const { return securities_.size(); }
  const SecurityEntry* FindSecurity(std::string_view code) const;

 private:
  std::vector<SecurityEntry> securities_;
};

}  // namespace orra
