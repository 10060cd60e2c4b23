#include "tools/xlhost/sheet.h"

namespace orra::xlhost {

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

}  // namespace orra::xlhost
