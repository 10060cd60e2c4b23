#include "store/block_data.h"

#include <algorithm>

#include "store/byte_reader.h"
#include "store/compressed_body.h"
#include "store/gbk_text.h"
#include "store/key_index.h"

namespace orra {
namespace {

using H = BlockDataHeader;

constexpr uint64_t kHasChildrenBit = 1;
constexpr uint64_t kContinuesGroupBit = 2;

int32_t HeaderI32(std::span<const uint8_t> file, size_t offset) {
  return ByteReader::LoadLittleEndian<int32_t>(file.data() + offset);
}

// Smallest encoded entry of each section, to keep a lying count from reserving gigabytes.
constexpr size_t kMinSecurityBytes = 2;
constexpr size_t kMinCategoryBytes = 5;
constexpr size_t kMinMemberBytes = 3;

size_t Reservation(int32_t count, size_t body_bytes, size_t min_entry_bytes) {
  if (count <= 0) return 0;
  return std::min(static_cast<size_t>(count), body_bytes / min_entry_bytes);
}

}  // namespace

// Reads the three sections of an inflated body; a section stops at its first entry that the
// remaining bytes cannot hold.
class CBlockData::BodyDecoder {
 public:
  BodyDecoder(CBlockData& data, std::span<const uint8_t> body) : data_(data), reader_(body), body_size_(body.size()) {}

  void Securities(int32_t count, bool with_extra, const CKeyIndex* key_index) {
    data_.securities_.reserve(Reservation(count, body_size_, kMinSecurityBytes));
    for (int32_t n = 0; n < count; ++n) {
      std::string_view code, name, extra;
      if (!reader_.ReadShortText(code) || !reader_.ReadShortText(name)) return;
      if (with_extra && !reader_.ReadShortText(extra)) return;
      std::u16string wide_name = WideOfGbk(name, SecurityEntry::kMaxNameChars);
      SecurityEntry entry = MakeSecurityEntry(code, std::move(wide_name));
      if (name.empty() && key_index != nullptr) {
        if (const SecurityEntry* known = key_index->FindSecurity(entry.code)) entry.name = known->name;
      }
      data_.securities_.push_back(std::move(entry));
    }
  }

  void Categories(int32_t count, bool with_extra) {
    data_.categories_.reserve(Reservation(count, body_size_, kMinCategoryBytes));
    std::string carried_parent;
    for (int32_t n = 0; n < count; ++n) {
      uint64_t flags = 0, scheme = 0;
      std::string_view parent, code, name, extra;
      if (!reader_.ReadPackedNumber(flags) || !reader_.ReadPackedNumber(scheme) || !reader_.ReadShortText(parent) ||
          !reader_.ReadShortText(code) || !reader_.ReadShortText(name)) {
        return;
      }
      if (with_extra && !reader_.ReadShortText(extra)) return;
      CategoryEntry entry;
      entry.has_children = (flags & kHasChildrenBit) != 0;
      entry.continues_group = (flags & kContinuesGroupBit) != 0;
      entry.scheme_id = Carry(scheme);
      if (!parent.empty()) carried_parent = std::string(CutGbk(parent, CategoryEntry::kMaxKeyBytes));
      entry.parent_key = carried_parent;
      entry.code = std::string(CutGbk(code, CategoryEntry::kMaxKeyBytes));
      entry.name = std::string(CutGbk(name, CategoryEntry::kMaxNameBytes));
      entry.wide_code = WideOfGbk(entry.code, CategoryEntry::kMaxKeyBytes);
      entry.wide_name = WideOfGbk(entry.name, CategoryEntry::kMaxNameBytes);
      data_.categories_.push_back(std::move(entry));
    }
  }

  void Members(int32_t count) {
    data_.members_.reserve(Reservation(count, body_size_, kMinMemberBytes));
    std::string carried_code;
    for (int32_t n = 0; n < count; ++n) {
      std::string_view code;
      uint64_t scheme = 0, security = 0;
      if (!reader_.ReadShortText(code) || !reader_.ReadPackedNumber(scheme) || !reader_.ReadPackedNumber(security)) {
        return;
      }
      if (!code.empty()) carried_code = std::string(CutGbk(code, CategoryEntry::kMaxKeyBytes));
      const int32_t scheme_id = Carry(scheme);
      // A member that names no security of this file cannot be listed; the next one may.
      if (security >= data_.securities_.size()) continue;
      MemberEntry& member = data_.members_.emplace_back();
      member.scheme_id = scheme_id;
      member.security_index = static_cast<int32_t>(security);
      member.category_code = carried_code;
    }
  }

 private:
  // A scheme id of 0 stands for the last non-zero one, across categories and members.
  int32_t Carry(uint64_t packed) {
    const auto scheme = static_cast<int32_t>(static_cast<uint32_t>(packed));
    if (scheme != 0) carried_scheme_ = scheme;
    return carried_scheme_;
  }

  CBlockData& data_;
  ByteReader reader_;
  size_t body_size_;
  int32_t carried_scheme_ = kNoScheme;
};

std::optional<CBlockData> CBlockData::Decode(std::span<const uint8_t> file, const CKeyIndex* key_index) {
  if (file.size() < kMinFileSize) return std::nullopt;
  CBlockData data;
  data.kind_ = HeaderI32(file, H::kKindOffset);
  const std::optional<std::vector<uint8_t>> body =
      InflateBody(file.subspan(kHeaderSize), HeaderI32(file, H::kInflatedSizeOffset), HeaderI32(file, H::kCompressedSizeOffset));
  if (!body) return data;
  BodyDecoder decoder(data, *body);
  decoder.Securities(HeaderI32(file, H::kSecurityCountOffset), file[H::kSecurityExtraOffset] != 0, key_index);
  decoder.Categories(HeaderI32(file, H::kCategoryCountOffset), data.kind_ == kNamedCategoriesKind);
  decoder.Members(HeaderI32(file, H::kMemberCountOffset));
  return data;
}

const SecurityEntry* CBlockData::FindSecurity(std::string_view code) const {
  const std::optional<size_t> at = FindSecurityIndex(securities_, code);
  return at ? &securities_[*at] : nullptr;
}

std::optional<IndexRange> CBlockData::CategoryGroup(std::string_view parent_key) const {
  const auto it = std::lower_bound(categories_.begin(), categories_.end(), parent_key,
                                   [](const CategoryEntry& c, std::string_view key) { return CompareBytes(c.parent_key, key) < 0; });
  if (it == categories_.end() || it->parent_key != parent_key) return std::nullopt;
  size_t first = static_cast<size_t>(it - categories_.begin());
  while (first > 0 && categories_[first].continues_group) --first;
  size_t last = first;
  while (last + 1 < categories_.size() && categories_[last + 1].continues_group) ++last;
  return IndexRange{first, last};
}

std::optional<IndexRange> CBlockData::MembersOf(std::string_view category_code) const {
  const auto less = [](const MemberEntry& m, std::string_view code) { return CompareBytes(m.category_code, code) < 0; };
  const auto it = std::lower_bound(members_.begin(), members_.end(), category_code, less);
  if (it == members_.end() || it->category_code != category_code) return std::nullopt;
  size_t first = static_cast<size_t>(it - members_.begin());
  size_t last = first;
  while (last + 1 < members_.size() && members_[last + 1].category_code == category_code) ++last;
  return IndexRange{first, last};
}

}  // namespace orra
