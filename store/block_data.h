#pragma once
// CBlockData: the market navigation data ("sys0000.bkdata"): the securities, the categories of
// every classification scheme, and which securities are filed under which category. Immutable
// once decoded; any thread may read it. The insert-code dialog keeps entries of it across
// reloads by holding the object.
//
// The lookups rest on the order the terminal writes: securities by code, categories by parent
// key (one parent key's categories contiguous, the first with continues_group 0), members by
// category code.

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "store/security_entry.h"

namespace orra {

class CKeyIndex;

struct CategoryEntry {
  static constexpr size_t kMaxKeyBytes = 15;
  static constexpr size_t kMaxNameBytes = 31;

  bool has_children = false;
  bool continues_group = false;
  int32_t scheme_id = 0;
  std::string parent_key;  // GBK
  std::string code;        // GBK
  std::string name;        // GBK
  std::u16string wide_code;
  std::u16string wide_name;
};

struct MemberEntry {
  int32_t scheme_id = 0;
  int32_t security_index = 0;  // always inside securities()
  std::string category_code;   // GBK
};

// Where the file's header keeps its counts and sizes (little-endian int32 unless noted).
struct BlockDataHeader {
  static constexpr size_t kSecurityCountOffset = 128;
  static constexpr size_t kCategoryCountOffset = 132;
  static constexpr size_t kMemberCountOffset = 136;
  static constexpr size_t kKindOffset = 144;
  static constexpr size_t kInflatedSizeOffset = 148;
  static constexpr size_t kCompressedSizeOffset = 152;
  static constexpr size_t kSecurityExtraOffset = 156;  // one byte: securities carry a third text
};

// First and last index, both inclusive.
using IndexRange = std::pair<size_t, size_t>;

class CBlockData {
 public:
  static constexpr size_t kMinFileSize = 190;
  static constexpr size_t kHeaderSize = 188;
  static constexpr int32_t kNamedCategoriesKind = 7;
  static constexpr int32_t kNoScheme = -999999;

  // None for a file shorter than 190 bytes (the previous data then stays). A body that does not
  // inflate gives an object with no entries. Securities without a name take theirs from
  // `key_index` when one is given.
  static std::optional<CBlockData> Decode(std::span<const uint8_t> file, const CKeyIndex* key_index);

  int32_t kind() const { return kind_; }
  const std::vector<SecurityEntry>& securities() const { return securities_; }
  const std::vector<CategoryEntry>& categories() const { return categories_; }
  const std::vector<MemberEntry>& members() const { return members_; }

  const SecurityEntry* FindSecurity(std::string_view code) const;
  std::optional<IndexRange> CategoryGroup(std::string_view parent_key) const;
  std::optional<IndexRange> MembersOf(std::string_view category_code) const;

 private:
  class BodyDecoder;

  int32_t kind_ = 0;
  std::vector<SecurityEntry> securities_;
  std::vector<CategoryEntry> categories_;
  std::vector<MemberEntry> members_;
};

}  // namespace orra
