#include "tools/xlhost/cell_range.h"

#include <algorithm>

#include "common/ascii_text.h"
#include "xll/xl_constants.h"

namespace orra::xlhost {
namespace {

bool IsLetter(char16_t c) { return (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z'); }
bool IsDigit(char16_t c) { return c >= u'0' && c <= u'9'; }

// One corner, "$B$2" or "B2": the dollar signs dropped, the rest read by ParseA1.
std::optional<CellAddress> ParseCorner(std::u16string_view text) {
  std::string plain;
  for (size_t i = 0; i < text.size(); ++i) {
    const char16_t c = text[i];
    if (c == u'$') {
      // A dollar sign stands only before the letters or before the digits.
      const bool before_letters = i == 0 && i + 1 < text.size() && IsLetter(text[i + 1]);
      const bool before_digits = i > 0 && IsLetter(text[i - 1]) && i + 1 < text.size() && IsDigit(text[i + 1]);
      if (!before_letters && !before_digits) return std::nullopt;
      continue;
    }
    if (!IsLetter(c) && !IsDigit(c)) return std::nullopt;
    plain.push_back(static_cast<char>(c));
  }
  return ParseA1(plain);
}

// "[Book]Sheet" or "Sheet" into `reference`; false when a bracket is left open or a name is empty.
bool ParseQualifier(std::u16string_view text, RangeReference& reference) {
  if (!text.empty() && text.front() == u'[') {
    const size_t close = text.find(u']');
    if (close == std::u16string_view::npos || close == 1) return false;
    reference.book = std::u16string(text.substr(1, close - 1));
    text.remove_prefix(close + 1);
  }
  if (text.empty() || text.find_first_of(u"[]") != std::u16string_view::npos) return false;
  reference.sheet = std::u16string(text);
  return true;
}

bool NeedsQuotes(std::u16string_view name) {
  return !std::all_of(name.begin(), name.end(), [](char16_t c) {
    return IsLetter(c) || IsDigit(c) || c == u'_' || c == u'.' || c > 0x7F;
  });
}

std::u16string Corner(CellAddress cell, const AddressStyle& style) {
  if (style.style == ReferenceStyle::kA1) {
    std::u16string text;
    if (style.column_absolute) text += u'$';
    text += WidenAscii(ColumnLetters(cell.column));
    if (style.row_absolute) text += u'$';
    return text + WidenAscii(std::to_string(cell.row + 1));
  }
  auto part = [](char16_t letter, bool absolute, int32_t value, int32_t origin) {
    std::u16string text(1, letter);
    if (absolute) return text + WidenAscii(std::to_string(value + 1));
    if (value != origin) text += u"[" + WidenAscii(std::to_string(value - origin)) + u"]";
    return text;
  };
  return part(u'R', style.row_absolute, cell.row, style.relative_to.row) +
         part(u'C', style.column_absolute, cell.column, style.relative_to.column);
}

}  // namespace

std::optional<CellRange> Intersection(const CellRange& a, const CellRange& b) {
  const CellRange meet{{std::max(a.first.row, b.first.row), std::max(a.first.column, b.first.column)},
                       {std::min(a.last.row, b.last.row), std::min(a.last.column, b.last.column)}};
  if (meet.first.row > meet.last.row || meet.first.column > meet.last.column) return std::nullopt;
  return meet;
}

CellRange Span(const CellRange& a, const CellRange& b) {
  return CellRange{{std::min(a.first.row, b.first.row), std::min(a.first.column, b.first.column)},
                   {std::max(a.last.row, b.last.row), std::max(a.last.column, b.last.column)}};
}

std::optional<CellRange> Resized(const CellRange& range, int64_t rows, int64_t columns) {
  if (rows < 1 || columns < 1) return std::nullopt;
  const int64_t last_row = range.first.row + rows - 1;
  const int64_t last_column = range.first.column + columns - 1;
  if (last_row > kLastRow || last_column > kLastColumn) return std::nullopt;
  return CellRange{range.first, {static_cast<int32_t>(last_row), static_cast<int32_t>(last_column)}};
}

std::optional<RangeReference> ParseRangeReference(std::u16string_view text) {
  RangeReference reference;
  if (!text.empty() && text.front() == u'\'') {
    std::u16string qualifier;
    size_t i = 1;
    for (;; ++i) {
      if (i >= text.size()) return std::nullopt;
      if (text[i] != u'\'') {
        qualifier.push_back(text[i]);
      } else if (i + 1 < text.size() && text[i + 1] == u'\'') {
        qualifier.push_back(u'\'');
        ++i;
      } else {
        break;
      }
    }
    if (i + 1 >= text.size() || text[i + 1] != u'!' || !ParseQualifier(qualifier, reference)) return std::nullopt;
    text.remove_prefix(i + 2);
  } else if (const size_t bang = text.rfind(u'!'); bang != std::u16string_view::npos) {
    if (!ParseQualifier(text.substr(0, bang), reference)) return std::nullopt;
    text.remove_prefix(bang + 1);
  }
  const size_t colon = text.find(u':');
  const auto first = ParseCorner(text.substr(0, colon));
  if (!first) return std::nullopt;
  CellAddress second = *first;
  if (colon != std::u16string_view::npos) {
    const auto parsed = ParseCorner(text.substr(colon + 1));
    if (!parsed) return std::nullopt;
    second = *parsed;
  }
  reference.range = Span(CellRange::Of(*first), CellRange::Of(second));
  return reference;
}

std::u16string RangeAddress(const CellRange& range, const AddressStyle& style,
                            std::u16string_view book, std::u16string_view sheet) {
  std::u16string text = Corner(range.first, style);
  if (range.first != range.last) text += u":" + Corner(range.last, style);
  if (!style.external) return text;
  std::u16string qualifier = u"[" + std::u16string(book) + u"]" + std::u16string(sheet);
  if (NeedsQuotes(book) || NeedsQuotes(sheet)) {
    std::u16string quoted = u"'";
    for (char16_t c : qualifier) {
      quoted += c;
      if (c == u'\'') quoted += c;
    }
    qualifier = quoted + u"'";
  }
  return qualifier + u"!" + text;
}

}  // namespace orra::xlhost
