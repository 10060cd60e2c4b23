#include "store/gbk_text.h"

#include <algorithm>
#include <array>
#include <cstring>

#include "common/codepage936_table.h"
#include "common/text_conversion.h"

namespace orra {
namespace {

constexpr size_t kStackConversionBytes = 64;

bool IsLeadByte(unsigned char b) { return b >= 0x81 && b <= 0xFE; }

template <typename Char>
Char FoldAscii(Char c) {
  return (c >= 'A' && c <= 'Z') ? static_cast<Char>(c - 'A' + 'a') : c;
}

template <typename Char>
bool EqualsFolding(std::basic_string_view<Char> a, std::basic_string_view<Char> b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (FoldAscii(a[i]) != FoldAscii(b[i])) return false;
  }
  return true;
}

}  // namespace

std::string_view FieldText(std::span<const uint8_t> field) {
  return FieldText(reinterpret_cast<const char*>(field.data()), field.size());
}

std::string_view FieldText(const char* field, size_t width) {
  const void* zero = std::memchr(field, 0, width);
  const size_t length = zero == nullptr ? width : static_cast<size_t>(static_cast<const char*>(zero) - field);
  return {field, length};
}

std::string_view CutGbk(std::string_view text, size_t max_bytes) {
  if (text.size() <= max_bytes) return text;
  size_t end = 0;
  while (end < max_bytes) {
    const size_t step = IsLeadByte(static_cast<unsigned char>(text[end])) ? 2 : 1;
    if (end + step > max_bytes) break;
    end += step;
  }
  return text.substr(0, end);
}

std::u16string WideOfGbk(std::string_view text, size_t max_chars) {
  // Most texts are short names: converted on the stack first, a name that fits the string's
  // own buffer costs no allocation (converting in place allocated a unit per byte).
  if (text.size() <= kStackConversionBytes) {
    std::array<char16_t, kStackConversionBytes> units;
    // A byte gives at most one unit.
    const size_t written = GbkToUtf16ByTable(text.data(), text.size(), units.data(), units.size());
    return std::u16string(units.data(), std::min(written, max_chars));
  }
  std::u16string wide = ToWideString(text);
  if (wide.size() > max_chars) wide.resize(max_chars);
  return wide;
}

size_t AppendWideOfGbk(std::u16string& out, std::string_view text, size_t max_chars) {
  const size_t start = out.size();
  // A byte gives at most one unit.
  out.resize(start + text.size());
  const size_t units = GbkToUtf16ByTable(text.data(), text.size(), out.data() + start, text.size());
  out.resize(start + std::min(units, max_chars));
  return out.size() - start;
}

bool EqualsFoldingAsciiCase(std::string_view a, std::string_view b) { return EqualsFolding(a, b); }
bool EqualsFoldingAsciiCase(std::u16string_view a, std::u16string_view b) { return EqualsFolding(a, b); }

int CompareBytes(std::string_view a, std::string_view b) {
  const size_t n = std::min(a.size(), b.size());
  const int c = n == 0 ? 0 : std::memcmp(a.data(), b.data(), n);
  if (c != 0) return c;
  return a.size() < b.size() ? -1 : (a.size() > b.size() ? 1 : 0);
}

}  // namespace orra
