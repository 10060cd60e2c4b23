#pragma once
// A security as both the market navigation data and the key index list it, and the binary
// search by code that both offer. The arrays are in ascending unsigned-byte order of the GBK
// code, as the terminal writes them; nothing sorts them.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace orra {

struct SecurityEntry {
  static constexpr size_t kMaxCodeBytes = 15;
  static constexpr size_t kMaxCodeChars = 15;
  static constexpr size_t kMaxNameChars = 31;

  std::string code;  // GBK
  std::u16string name;

  // The code in UTF-16, made when a list shows it: a load files every security twice (the key
  // index and the market data) and a dialog shows few of them.
  std::u16string WideCode() const;
};

// Makes an entry from file texts, cutting each to its width.
SecurityEntry MakeSecurityEntry(std::string_view gbk_code, std::u16string name);

// The index of the entry whose code is exactly `code`.
std::optional<size_t> FindSecurityIndex(const std::vector<SecurityEntry>& securities, std::string_view code);

}  // namespace orra
