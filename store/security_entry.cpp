#include "store/security_entry.h"

#include <algorithm>

#include "store/gbk_text.h"

namespace orra {

SecurityEntry MakeSecurityEntry(std::string_view gbk_code, std::u16string name) {
  SecurityEntry entry;
  entry.code = std::string(CutGbk(gbk_code, SecurityEntry::kMaxCodeBytes));
  if (name.size() > SecurityEntry::kMaxNameChars) name.resize(SecurityEntry::kMaxNameChars);
  entry.name = std::move(name);
  return entry;
}

std::u16string SecurityEntry::WideCode() const { return WideOfGbk(code, kMaxCodeChars); }

std::optional<size_t> FindSecurityIndex(const std::vector<SecurityEntry>& securities, std::string_view code) {
  const auto it = std::lower_bound(securities.begin(), securities.end(), code,
                                   [](const SecurityEntry& e, std::string_view c) { return CompareBytes(e.code, c) < 0; });
  if (it == securities.end() || it->code != code) return std::nullopt;
  return static_cast<size_t>(it - securities.begin());
}

}  // namespace orra
