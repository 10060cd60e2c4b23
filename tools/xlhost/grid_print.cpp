#include "tools/xlhost/grid_print.h"

#include <algorithm>
#include <vector>

#include "common/utf8.h"
#include "tools/xlhost/number_format.h"

namespace orra::xlhost {
namespace {

constexpr size_t kRowLabelWidth = 4;

// The East Asian Wide and Fullwidth blocks a terminal gives two columns: Hangul Jamo, CJK
// punctuation and ideographs (〇 included), kana, Hangul syllables, compatibility ideographs,
// fullwidth forms and the supplementary ideograph planes.
struct CodeRange {
  char32_t first;
  char32_t last;
};
constexpr CodeRange kWideRanges[] = {
    {0x1100, 0x115F}, {0x2E80, 0x303E}, {0x3041, 0x33FF}, {0x3400, 0x4DBF}, {0x4E00, 0x9FFF},
    {0xA000, 0xA4CF}, {0xAC00, 0xD7A3}, {0xF900, 0xFAFF}, {0xFE30, 0xFE4F}, {0xFF00, 0xFF60},
    {0xFFE0, 0xFFE6}, {0x20000, 0x3FFFD}};

bool IsWide(char32_t code) {
  return std::any_of(std::begin(kWideRanges), std::end(kWideRanges),
                     [code](CodeRange range) { return code >= range.first && code <= range.last; });
}

size_t DisplayWidth(const std::string& utf8) {
  const std::u16string text = FromUtf8(utf8);
  size_t width = 0;
  for (size_t i = 0; i < text.size(); ++i) {
    char32_t code = text[i];
    const bool pair = code >= 0xD800 && code <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
                      text[i + 1] <= 0xDFFF;
    if (pair) code = 0x10000 + ((code - 0xD800) << 10) + (text[++i] - 0xDC00);
    width += IsWide(code) ? 2 : 1;
  }
  return width;
}

// The XlHAlign a cell is shown with; General follows the value's type.
int32_t ShownAlignment(int32_t alignment, const GridValue& value) {
  if (alignment == kAlignLeft || alignment == kAlignCenter || alignment == kAlignRight) return alignment;
  if (std::holds_alternative<double>(value)) return kAlignRight;
  if (std::holds_alternative<bool>(value) || std::holds_alternative<ErrorValue>(value)) return kAlignCenter;
  return kAlignLeft;
}

std::string Aligned(const std::string& text, size_t width, int32_t alignment) {
  const size_t padding = width - std::min(width, DisplayWidth(text));
  const size_t before = alignment == kAlignRight ? padding : alignment == kAlignCenter ? padding / 2 : 0;
  return std::string(before, ' ') + text + std::string(padding - before, ' ');
}

}  // namespace

std::string PrintGrid(const Workbook& workbook) {
  const Sheet& sheet = workbook.sheet();
  int32_t last_row = -1;
  int32_t last_column = -1;
  for (const auto& [address, cell] : sheet.cells()) {
    last_row = std::max(last_row, address.row);
    last_column = std::max(last_column, address.column);
  }
  struct Shown {
    std::string text;
    int32_t alignment;
  };
  const auto shown = [&](CellAddress address) {
    const CellRange cell = CellRange::Of(address);
    const GridValue value = sheet.ValueAt(address);
    const std::u16string format = workbook.NumberFormat(cell).value_or(std::u16string(kGeneralFormat));
    return Shown{FormattedText(value, format),
                 ShownAlignment(workbook.HorizontalAlignment(cell).value_or(kAlignGeneral), value)};
  };
  std::vector<size_t> widths(static_cast<size_t>(last_column + 1));
  for (int32_t column = 0; column <= last_column; ++column) {
    widths[column] = ColumnLetters(column).size();
  }
  for (const auto& [address, cell] : sheet.cells()) {
    widths[address.column] = std::max(widths[address.column], DisplayWidth(shown(address).text));
  }
  std::string out(kRowLabelWidth, ' ');
  for (int32_t column = 0; column <= last_column; ++column) {
    out += " | " + Aligned(ColumnLetters(column), widths[column], kAlignLeft);
  }
  out += '\n';
  for (int32_t row = 0; row <= last_row; ++row) {
    const std::string label = std::to_string(row + 1);
    out += std::string(kRowLabelWidth - std::min(kRowLabelWidth, label.size()), ' ') + label;
    for (int32_t column = 0; column <= last_column; ++column) {
      const Shown cell = shown(CellAddress{row, column});
      out += " | " + Aligned(cell.text, widths[column], cell.alignment);
    }
    out += '\n';
  }
  return out;
}

}  // namespace orra::xlhost
