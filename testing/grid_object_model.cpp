#include "testing/grid_object_model.h"

#include <algorithm>
#include <string>

#include "common/ascii_text.h"

namespace orra {
namespace {

constexpr int32_t kMaxRow = 1048576;
constexpr int32_t kMaxColumn = 16384;  // XFD

bool SameName(std::u16string_view a, std::u16string_view b) { return EqualsIgnoringAsciiCase(a, b); }

std::u16string SheetKeyFor(std::u16string_view workbook, std::u16string_view sheet) {
  std::u16string key = u"[";
  key.append(workbook).append(u"]").append(sheet);
  return key;
}

// What an address text says before the cells are looked up.
struct AddressParts {
  std::optional<std::u16string> workbook;  // named in brackets
  std::optional<std::u16string> sheet;     // named before the '!'
  std::u16string_view reference;           // the A1 part
};

// "'...'!ref" with '' standing for one apostrophe. Answers the text between the quotes.
std::optional<std::u16string> ReadQuotedQualifier(std::u16string_view text, std::u16string_view* rest) {
  std::u16string qualifier;
  for (size_t i = 1; i < text.size(); ++i) {
    if (text[i] != u'\'') {
      qualifier.push_back(text[i]);
    } else if (i + 1 < text.size() && text[i + 1] == u'\'') {
      qualifier.push_back(u'\'');
      ++i;
    } else if (i + 1 < text.size() && text[i + 1] == u'!') {
      *rest = text.substr(i + 2);
      return qualifier;
    } else {
      return std::nullopt;
    }
  }
  return std::nullopt;
}

// "[workbook]sheet" or "sheet".
bool SplitQualifier(std::u16string_view qualifier, AddressParts& parts) {
  if (!qualifier.empty() && qualifier.front() == u'[') {
    const size_t close = qualifier.find(u']');
    if (close == std::u16string_view::npos || close == 1) return false;
    parts.workbook = std::u16string(qualifier.substr(1, close - 1));
    qualifier.remove_prefix(close + 1);
  }
  if (qualifier.empty()) return false;
  parts.sheet = std::u16string(qualifier);
  return true;
}

std::optional<AddressParts> SplitAddress(std::u16string_view text) {
  AddressParts parts;
  if (!text.empty() && text.front() == u'\'') {
    const auto qualifier = ReadQuotedQualifier(text, &parts.reference);
    if (!qualifier || !SplitQualifier(*qualifier, parts)) return std::nullopt;
    return parts;
  }
  const size_t bang = text.rfind(u'!');
  if (bang == std::u16string_view::npos) {
    parts.reference = text;
    return parts;
  }
  if (!SplitQualifier(text.substr(0, bang), parts)) return std::nullopt;
  parts.reference = text.substr(bang + 1);
  return parts;
}

// "$B$2", "B2", "b2": (row, column).
std::optional<std::pair<int32_t, int32_t>> ParseCell(std::u16string_view text) {
  size_t i = 0;
  if (i < text.size() && text[i] == u'$') ++i;
  int32_t column = 0;
  const size_t letters_start = i;
  while (i < text.size() && i - letters_start < 4) {
    const char16_t c = UpperAscii(text[i]);
    if (c < u'A' || c > u'Z') break;
    column = column * 26 + (c - u'A' + 1);
    ++i;
  }
  if (i == letters_start || i - letters_start > 3 || column > kMaxColumn) return std::nullopt;
  if (i < text.size() && text[i] == u'$') ++i;
  int32_t row = 0;
  const size_t digits_start = i;
  while (i < text.size() && text[i] >= u'0' && text[i] <= u'9' && i - digits_start < 8) {
    row = row * 10 + (text[i] - u'0');
    ++i;
  }
  if (i == digits_start || i != text.size() || row < 1 || row > kMaxRow) return std::nullopt;
  return std::pair(row, column);
}

std::optional<GridObjectModel::Area> ParseArea(std::u16string_view reference) {
  const size_t colon = reference.find(u':');
  const auto first = ParseCell(reference.substr(0, colon));
  const auto last = colon == std::u16string_view::npos ? first : ParseCell(reference.substr(colon + 1));
  if (!first || !last) return std::nullopt;
  return GridObjectModel::Area{std::min(first->first, last->first), std::min(first->second, last->second),
                               std::max(first->first, last->first), std::max(first->second, last->second)};
}

std::u16string ColumnLetters(int32_t column) {
  std::u16string letters;
  for (; column > 0; column = (column - 1) / 26) letters.insert(letters.begin(), static_cast<char16_t>(u'A' + (column - 1) % 26));
  return letters;
}

std::u16string CellReference(int32_t row, int32_t column) {
  return ColumnLetters(column) + WidenAscii(std::to_string(row));
}

// "'[Book1]Sheet1'!B2" or "'[Book1]Sheet1'!B2:C5".
std::u16string ExternalAddress(const SheetKey& sheet, const GridObjectModel::Area& area) {
  std::u16string text = u"'";
  for (char16_t c : sheet) {
    text.push_back(c);
    if (c == u'\'') text.push_back(c);
  }
  text += u"'!" + CellReference(area.first_row, area.first_column);
  if (area.last_row != area.first_row || area.last_column != area.first_column) {
    text += u":" + CellReference(area.last_row, area.last_column);
  }
  return text;
}

bool Overlap(const GridObjectModel::Area& a, const GridObjectModel::Area& b) {
  return a.first_row <= b.last_row && b.first_row <= a.last_row && a.first_column <= b.last_column &&
         b.first_column <= a.last_column;
}

uint64_t CellCount(const GridObjectModel::Area& area) {
  return static_cast<uint64_t>(area.last_row - area.first_row + 1) *
         static_cast<uint64_t>(area.last_column - area.first_column + 1);
}

bool IsEmpty(const GridCell& cell) {
  return std::holds_alternative<std::monostate>(cell.value) && !cell.number_format && !cell.horizontal_alignment;
}

}  // namespace

// --- Building the grid ---

SheetKey GridObjectModel::AddSheet(std::u16string_view workbook, std::u16string_view sheet) {
  if (const Sheet* existing = FindSheet(workbook, sheet)) return SheetKeyFor(existing->workbook, existing->name);
  SheetKey key = SheetKeyFor(workbook, sheet);
  sheets_[key] = Sheet{std::u16string(workbook), std::u16string(sheet), true, {}};
  if (sheets_.size() == 1) active_sheet_ = key;
  return key;
}

bool GridObjectModel::DeleteSheet(const SheetKey& sheet) {
  if (sheets_.erase(sheet) == 0) return false;
  if (active_sheet_ == sheet) active_sheet_.reset();
  if (selection_ && selection_->sheet == sheet) selection_.reset();
  return true;
}

bool GridObjectModel::Activate(const SheetKey& sheet) {
  if (sheets_.count(sheet) == 0) return false;
  if (active_sheet_ != sheet) selection_.reset();
  active_sheet_ = sheet;
  return true;
}

bool GridObjectModel::Select(std::u16string_view address) {
  std::u16string error;
  auto range = ResolveQuietly(address, &error);
  if (!range) return false;
  active_sheet_ = range->sheet;
  selection_ = std::move(range);
  return true;
}

void GridObjectModel::ClearSelection() { selection_.reset(); }

bool GridObjectModel::SetValue(std::u16string_view address, GridValue value) {
  return ChangeCells(address, [&value](GridCell& cell) { cell.value = value; });
}

void GridObjectModel::FailCall(GridCall call, std::u16string error_text) { failures_[call] = std::move(error_text); }

void GridObjectModel::ClearFailure(GridCall call) { failures_.erase(call); }

// --- Inspecting the grid ---

std::optional<GridCell> GridObjectModel::Cell(std::u16string_view address) const {
  std::u16string error;
  const auto range = ResolveQuietly(address, &error);
  if (!range || CellCount(range->area) != 1) return std::nullopt;
  const auto& cells = sheets_.at(range->sheet).cells;
  const auto it = cells.find({range->area.first_row, range->area.first_column});
  return it == cells.end() ? GridCell{} : it->second;
}

std::vector<GridCellEntry> GridObjectModel::CellsOf(const SheetKey& sheet) const {
  std::vector<GridCellEntry> entries;
  const auto it = sheets_.find(sheet);
  if (it == sheets_.end()) return entries;
  for (const auto& [position, cell] : it->second.cells) {
    if (!IsEmpty(cell)) entries.push_back({CellReference(position.first, position.second), cell});
  }
  return entries;
}

std::vector<SheetKey> GridObjectModel::Sheets() const {
  std::vector<SheetKey> keys;
  for (const auto& [key, sheet] : sheets_) keys.push_back(key);
  return keys;
}

std::optional<bool> GridObjectModel::EnableCalculation(const SheetKey& sheet) const {
  const auto it = sheets_.find(sheet);
  if (it == sheets_.end()) return std::nullopt;
  return it->second.enable_calculation;
}

// --- ExcelObjectModel ---

std::optional<SheetKey> GridObjectModel::ActiveSheet() {
  if (Failing(GridCall::kActiveSheet)) return std::nullopt;
  if (!active_sheet_) {
    Fail(u"No worksheet is active.");
    return std::nullopt;
  }
  return active_sheet_;
}

std::optional<SheetKey> GridObjectModel::SheetOf(std::u16string_view address) {
  if (Failing(GridCall::kSheetOf)) return std::nullopt;
  auto range = Resolve(address);
  if (!range) return std::nullopt;
  return std::move(range->sheet);
}

std::optional<bool> GridObjectModel::SelectionIntersects(std::u16string_view address) {
  if (Failing(GridCall::kSelectionIntersects)) return std::nullopt;
  const auto range = Resolve(address);
  if (!range) return std::nullopt;
  if (!selection_) {
    Fail(u"No range is selected.");
    return std::nullopt;
  }
  // Ranges on different sheets share no cell.
  return range->sheet == selection_->sheet && Overlap(range->area, selection_->area);
}

bool GridObjectModel::SetEnableCalculation(const SheetKey& sheet, bool enabled) {
  if (Failing(GridCall::kSetEnableCalculation)) return false;
  const auto it = sheets_.find(sheet);
  if (it == sheets_.end()) return Fail(u"The worksheet " + sheet + u" does not exist.");
  it->second.enable_calculation = enabled;
  enable_calculation_changes_.push_back({sheet, enabled});
  return true;
}

bool GridObjectModel::DirtySelection() {
  if (Failing(GridCall::kDirtySelection)) return false;
  if (!selection_) return Fail(u"No range is selected.");
  dirtied_ranges_.push_back(ExternalAddress(selection_->sheet, selection_->area));
  return true;
}

bool GridObjectModel::CalculateFull() {
  if (Failing(GridCall::kCalculateFull)) return false;
  ++calculate_full_count_;
  return true;
}

bool GridObjectModel::SetNumberFormatLocal(std::u16string_view address, std::u16string_view format) {
  if (Failing(GridCall::kSetNumberFormatLocal)) return false;
  return ChangeCells(address, [format](GridCell& cell) { cell.number_format = std::u16string(format); });
}

bool GridObjectModel::SetHorizontalAlignment(std::u16string_view address, int32_t alignment) {
  if (Failing(GridCall::kSetHorizontalAlignment)) return false;
  return ChangeCells(address, [alignment](GridCell& cell) { cell.horizontal_alignment = alignment; });
}

bool GridObjectModel::SetScreenUpdating(bool enabled) {
  if (Failing(GridCall::kSetScreenUpdating)) return false;
  screen_updating_ = enabled;
  screen_updating_changes_.push_back(enabled);
  return true;
}

bool GridObjectModel::WriteAtActiveCell(const SheetTable& table) {
  if (Failing(GridCall::kWriteAtActiveCell)) return false;
  const auto block = ActiveBlock(table.rows(), table.columns());
  if (!block) return false;
  const auto values = table.Values();
  size_t next = 0;  // the block's cells come row after row, as the table's values do
  if (!ChangeCells(*block, [&values, &next](GridCell& cell) { cell.value = values[next++]; })) return false;
  written_blocks_.push_back(ExternalAddress(block->sheet, block->area));
  return true;
}

bool GridObjectModel::SetActiveBlockNumberFormatLocal(size_t rows, size_t columns, std::u16string_view format) {
  if (Failing(GridCall::kSetActiveBlockNumberFormatLocal)) return false;
  const auto block = ActiveBlock(rows, columns);
  return block && ChangeCells(*block, [format](GridCell& cell) { cell.number_format = std::u16string(format); });
}

// --- Private ---

std::optional<GridObjectModel::ResolvedRange> GridObjectModel::Resolve(std::u16string_view address) {
  std::u16string error;
  auto range = ResolveQuietly(address, &error);
  if (!range) Fail(std::move(error));
  return range;
}

std::optional<GridObjectModel::ResolvedRange> GridObjectModel::ResolveQuietly(std::u16string_view address,
                                                                              std::u16string* error) const {
  const auto parts = SplitAddress(address);
  const auto area = parts ? ParseArea(parts->reference) : std::nullopt;
  if (!area) {
    *error = u"Not a valid address: " + std::u16string(address);
    return std::nullopt;
  }
  if (!parts->sheet) {
    if (!active_sheet_) {
      *error = u"No worksheet is active.";
      return std::nullopt;
    }
    return ResolvedRange{*active_sheet_, *area};
  }
  std::u16string workbook;
  if (parts->workbook) {
    workbook = *parts->workbook;
  } else if (active_sheet_) {
    workbook = sheets_.at(*active_sheet_).workbook;
  }
  const Sheet* sheet = FindSheet(workbook, *parts->sheet);
  if (sheet == nullptr) {
    *error = u"The worksheet of " + std::u16string(address) + u" does not exist.";
    return std::nullopt;
  }
  return ResolvedRange{SheetKeyFor(sheet->workbook, sheet->name), *area};
}

std::optional<GridObjectModel::ResolvedRange> GridObjectModel::ActiveBlock(size_t rows, size_t columns) {
  if (!selection_) {
    Fail(u"There is no active cell.");
    return std::nullopt;
  }
  const Area& selected = selection_->area;
  // Resize refuses an empty block and one that runs past the sheet's last row or column.
  if (rows == 0 || columns == 0 || rows > static_cast<size_t>(kMaxRow - selected.first_row + 1) ||
      columns > static_cast<size_t>(kMaxColumn - selected.first_column + 1)) {
    Fail(u"The active cell cannot be resized to that block.");
    return std::nullopt;
  }
  const Area block{selected.first_row, selected.first_column,
                   selected.first_row + static_cast<int32_t>(rows) - 1,
                   selected.first_column + static_cast<int32_t>(columns) - 1};
  return ResolvedRange{selection_->sheet, block};
}

const GridObjectModel::Sheet* GridObjectModel::FindSheet(std::u16string_view workbook, std::u16string_view name) const {
  for (const auto& [key, sheet] : sheets_) {
    if (SameName(sheet.workbook, workbook) && SameName(sheet.name, name)) return &sheet;
  }
  return nullptr;
}

bool GridObjectModel::Failing(GridCall call) {
  if (editing_) {
    last_error_ = u"Excel is busy: a cell is being edited.";
    return true;
  }
  const auto it = failures_.find(call);
  if (it == failures_.end()) return false;
  last_error_ = it->second;
  return true;
}

bool GridObjectModel::Fail(std::u16string error) {
  last_error_ = std::move(error);
  return false;
}

template <typename Change>
bool GridObjectModel::ChangeCells(std::u16string_view address, Change change) {
  const auto range = Resolve(address);
  return range && ChangeCells(*range, change);
}

template <typename Change>
bool GridObjectModel::ChangeCells(const ResolvedRange& range, Change change) {
  if (CellCount(range.area) > kMaxCellsPerWrite) {
    return Fail(u"The range is too large for the grid: " + ExternalAddress(range.sheet, range.area));
  }
  auto& cells = sheets_.at(range.sheet).cells;
  for (int32_t row = range.area.first_row; row <= range.area.last_row; ++row) {
    for (int32_t column = range.area.first_column; column <= range.area.last_column; ++column) {
      change(cells[{row, column}]);
    }
  }
  return true;
}

}  // namespace orra
