#include "tools/xlhost/workbook.h"

#include <algorithm>

#include "common/ascii_text.h"
#include "common/utf8.h"

namespace orra::xlhost {

bool IsHorizontalAlignment(int32_t value) {
  constexpr int32_t kKnown[] = {kAlignGeneral, kAlignLeft,    kAlignCenter,  kAlignRight,
                                kAlignFill,    kAlignCenterAcrossSelection, kAlignJustify, kAlignDistributed};
  return std::find(std::begin(kKnown), std::end(kKnown), value) != std::end(kKnown);
}

Workbook::Workbook(Sheet& sheet, Evaluator evaluate) : sheet_(sheet), evaluate_(std::move(evaluate)) {}

bool Workbook::Names(const RangeReference& reference) const {
  if (reference.book && !EqualsIgnoringAsciiCase(*reference.book, sheet_.book_name())) return false;
  return !reference.sheet || EqualsIgnoringAsciiCase(*reference.sheet, sheet_.name());
}

void Workbook::Select(const CellRange& range) {
  selection_ = range;
  active_cell_ = range.first;
}

void Workbook::Activate(CellAddress cell) {
  active_cell_ = cell;
  if (!selection_.Contains(cell)) selection_ = CellRange::Of(cell);
}

std::optional<std::vector<std::vector<GridValue>>> Workbook::Values(const CellRange& range) const {
  if (range.cells() > kMaxCellsPerCall) return std::nullopt;
  std::vector<std::vector<GridValue>> rows;
  rows.reserve(static_cast<size_t>(range.rows()));
  for (int32_t row = range.first.row; row <= range.last.row; ++row) {
    std::vector<GridValue>& values = rows.emplace_back();
    for (int32_t column = range.first.column; column <= range.last.column; ++column) {
      values.push_back(sheet_.ValueAt(CellAddress{row, column}));
    }
  }
  return rows;
}

bool Workbook::Write(CellAddress cell, const GridValue& value, std::string& error) {
  const auto* text = std::get_if<std::u16string>(&value);
  if (text == nullptr || text->empty() || text->front() != u'=') {
    if (std::holds_alternative<std::monostate>(value)) {
      sheet_.Clear(cell);
    } else {
      sheet_.SetConstant(cell, value);
    }
    return true;
  }
  std::optional<Formula> formula = ParseFormula(ToUtf8(*text), error);
  if (!formula) return false;
  sheet_.SetFormula(cell, std::move(*formula));
  if (calculation_enabled_) evaluate_(cell);
  return true;
}

Workbook::Format Workbook::FormatAt(CellAddress cell) const {
  const auto found = formats_.find(cell);
  return found == formats_.end() ? Format{} : found->second;
}

template <typename Change>
bool Workbook::ChangeFormats(const CellRange& range, Change change) {
  if (range.cells() > kMaxCellsPerCall) return false;
  for (int32_t row = range.first.row; row <= range.last.row; ++row) {
    for (int32_t column = range.first.column; column <= range.last.column; ++column) {
      auto [entry, added] = formats_.try_emplace(CellAddress{row, column});
      change(entry->second);
    }
  }
  return true;
}

template <typename Read>
auto Workbook::Shared(const CellRange& range, Read read) const {
  using Value = decltype(read(Format{}));
  if (range.cells() > kMaxCellsPerCall) return std::optional<Value>();
  const Value first = read(FormatAt(range.first));
  for (int32_t row = range.first.row; row <= range.last.row; ++row) {
    for (int32_t column = range.first.column; column <= range.last.column; ++column) {
      if (read(FormatAt(CellAddress{row, column})) != first) return std::optional<Value>();
    }
  }
  return std::optional<Value>(first);
}

std::optional<std::u16string> Workbook::NumberFormat(const CellRange& range) const {
  return Shared(range, [](const Format& format) { return format.number_format; });
}

bool Workbook::SetNumberFormat(const CellRange& range, const std::u16string& number_format) {
  return ChangeFormats(range, [&](Format& format) { format.number_format = number_format; });
}

std::optional<int32_t> Workbook::HorizontalAlignment(const CellRange& range) const {
  return Shared(range, [](const Format& format) { return format.horizontal_alignment; });
}

bool Workbook::SetHorizontalAlignment(const CellRange& range, int32_t alignment) {
  if (!IsHorizontalAlignment(alignment)) return false;
  return ChangeFormats(range, [&](Format& format) { format.horizontal_alignment = alignment; });
}

void Workbook::SetCalculationEnabled(bool enabled) {
  const bool switched_on = enabled && !calculation_enabled_;
  calculation_enabled_ = enabled;
  if (switched_on) EvaluateFormulasIn(std::nullopt);
}

void Workbook::CalculateFull() { EvaluateFormulasIn(std::nullopt); }

void Workbook::Dirty(const CellRange& range) { EvaluateFormulasIn(range); }

void Workbook::EvaluateFormulasIn(const std::optional<CellRange>& range) {
  if (!calculation_enabled_) return;
  // The addresses first: an evaluation writes the cell's result into the map being walked.
  std::vector<CellAddress> formulas;
  for (const auto& [address, cell] : sheet_.cells()) {
    if (cell.formula && (!range || range->Contains(address))) formulas.push_back(address);
  }
  for (CellAddress address : formulas) evaluate_(address);
}

}  // namespace orra::xlhost
