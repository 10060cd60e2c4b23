#include "tools/xlhost/sheet.h"

#include <algorithm>
#include <vector>

namespace orra::xlhost {
namespace {

constexpr size_t kRowLabelWidth = 4;

// UTF-8 characters, which is how wide a terminal shows a line of Latin text; a CJK character
// takes two columns there, and counting it as one only shifts that row's padding.
size_t DisplayWidth(const std::string& utf8) {
  return static_cast<size_t>(
      std::count_if(utf8.begin(), utf8.end(), [](char c) { return (c & 0xC0) != 0x80; }));
}

bool AlignsRight(const GridValue& value) { return std::holds_alternative<double>(value); }

}  // namespace

Sheet::Sheet(std::u16string book_name, std::u16string name, uint64_t id)
    : book_name_(std::move(book_name)), name_(std::move(name)), id_(id) {}

std::u16string Sheet::QualifiedName() const { return u"[" + book_name_ + u"]" + name_; }

void Sheet::SetConstant(CellAddress cell, GridValue value) {
  cells_[cell] = Cell{std::nullopt, std::move(value)};
}

void Sheet::SetFormula(CellAddress cell, Formula formula) {
  cells_[cell] = Cell{std::move(formula), GridValue{}};
}

void Sheet::SetResult(CellAddress cell, GridValue value) { cells_[cell].value = std::move(value); }

void Sheet::Clear(CellAddress cell) { cells_.erase(cell); }

const Cell* Sheet::Find(CellAddress cell) const {
  const auto found = cells_.find(cell);
  return found == cells_.end() ? nullptr : &found->second;
}

GridValue Sheet::ValueAt(CellAddress cell) const {
  const Cell* found = Find(cell);
  return found == nullptr ? GridValue{} : found->value;
}

std::string PrintGrid(const Sheet& sheet) {
  int32_t last_row = -1;
  int32_t last_column = -1;
  for (const auto& [address, cell] : sheet.cells()) {
    last_row = std::max(last_row, address.row);
    last_column = std::max(last_column, address.column);
  }
  std::vector<size_t> widths(static_cast<size_t>(last_column + 1));
  for (int32_t column = 0; column <= last_column; ++column) {
    widths[column] = ColumnLetters(column).size();
  }
  for (const auto& [address, cell] : sheet.cells()) {
    widths[address.column] = std::max(widths[address.column], DisplayWidth(ShownText(cell.value)));
  }
  std::string out(kRowLabelWidth, ' ');
  for (int32_t column = 0; column <= last_column; ++column) {
    const std::string letters = ColumnLetters(column);
    out += " | " + letters + std::string(widths[column] - letters.size(), ' ');
  }
  out += '\n';
  for (int32_t row = 0; row <= last_row; ++row) {
    std::string label = std::to_string(row + 1);
    out += std::string(kRowLabelWidth - std::min(kRowLabelWidth, label.size()), ' ') + label;
    for (int32_t column = 0; column <= last_column; ++column) {
      const GridValue value = sheet.ValueAt(CellAddress{row, column});
      const std::string text = ShownText(value);
      const std::string padding(widths[column] - DisplayWidth(text), ' ');
      out += " | " + (AlignsRight(value) ? padding + text : text + padding);
    }
    out += '\n';
  }
  return out;
}

}  // namespace orra::xlhost
