#include "ui/report_list.h"

#include <algorithm>
#include <utility>

#include "common/ascii_text.h"
#include "ui/report_text_order.h"

namespace orra {
namespace {

constexpr uint32_t kChangeFlags =
    kRowSelected | kRowNotSelected | kRowChecked | kRowNotChecked | kRowFocused | kRowNotFocused;

bool IsOdd(uint32_t filter) { return (filter & kRowAll) != 0; }

}  // namespace

size_t ReportList::InsertColumn(size_t index, std::u16string heading) {
  const size_t at = std::min(index, headings_.size());
  // The first column takes over the text the rows kept while the list had no columns.
  const bool first_column = headings_.empty();
  headings_.insert(headings_.begin() + static_cast<std::ptrdiff_t>(at), std::move(heading));
  for (Item& item : items_) {
    if (!first_column) item.texts.insert(item.texts.begin() + static_cast<std::ptrdiff_t>(at), std::u16string());
    item.record.colours.insert(item.record.colours.begin() + static_cast<std::ptrdiff_t>(at), default_colours_);
  }
  return at;
}

std::u16string_view ReportList::Heading(size_t column) const {
  return column < headings_.size() ? std::u16string_view(headings_[column]) : std::u16string_view();
}

std::optional<size_t> ReportList::InsertItem(size_t index, std::u16string text) {
  ClearSortOrder();
  if (items_.size() >= kMaxRows) return std::nullopt;
  Item item;
  // A list without columns still keeps its rows' first text, as the list view does.
  item.texts.resize(std::max<size_t>(headings_.size(), 1));
  item.texts[0] = std::move(text);
  item.record.colours.assign(headings_.size(), default_colours_);
  const size_t at = std::min(index, items_.size());
  items_.insert(items_.begin() + static_cast<std::ptrdiff_t>(at), std::move(item));
  return at;
}

bool ReportList::SetItemText(size_t row, size_t column, std::u16string text) {
  ClearSortOrder();
  if (row >= items_.size() || column >= items_[row].texts.size()) return false;
  items_[row].texts[column] = std::move(text);
  return true;
}

std::u16string_view ReportList::ItemText(size_t row, size_t column) const {
  if (row >= items_.size() || column >= items_[row].texts.size()) return {};
  return items_[row].texts[column];
}

bool ReportList::SetItemData(size_t row, uintptr_t value) {
  if (row >= items_.size()) return false;
  items_[row].record.user_value = value;
  return true;
}

std::optional<uintptr_t> ReportList::GetItemData(size_t row) const {
  if (row >= items_.size()) return std::nullopt;
  return items_[row].record.user_value;
}

std::optional<CellColours> ReportList::CellColoursAt(size_t row, size_t column) const {
  if (row >= items_.size() || column >= items_[row].record.colours.size()) return std::nullopt;
  return items_[row].record.colours[column];
}

uint32_t ReportList::StatesOf(const Item& item) {
  return (item.selected ? kRowSelected : kRowNotSelected) | (item.checked ? kRowChecked : kRowNotChecked) |
         (item.focused ? kRowFocused : kRowNotFocused);
}

bool ReportList::Matches(const Item& item, uint32_t filter) { return (StatesOf(item) & filter) == filter; }

uint32_t ReportList::GetItemStates(size_t row) const { return row < items_.size() ? StatesOf(items_[row]) : 0; }

bool ReportList::SetItemStates(size_t row, uint32_t flags) {
  if (row >= items_.size() || (flags & kChangeFlags) == 0) return false;
  Item& item = items_[row];
  if (flags & kRowSelected) item.selected = true;
  if (flags & kRowNotSelected) item.selected = false;
  if (flags & kRowChecked) item.checked = true;
  if (flags & kRowNotChecked) item.checked = false;
  if (flags & kRowFocused) {
    for (Item& other : items_) other.focused = false;
    item.focused = true;
  }
  if (flags & kRowNotFocused) item.focused = false;
  return true;
}

size_t ReportList::GetItemCount(uint32_t filter) const {
  if (IsOdd(filter)) return items_.size();
  if (filter == 0) return 0;
  return static_cast<size_t>(std::count_if(items_.begin(), items_.end(), [filter](const Item& item) { return Matches(item, filter); }));
}

bool ReportList::DeleteItem(size_t row, bool select_next) {
  if (row >= items_.size()) return false;
  if (select_next && row + 1 < items_.size()) items_[row + 1].selected = true;
  items_.erase(items_.begin() + static_cast<std::ptrdiff_t>(row));
  return true;
}

size_t ReportList::DeleteItems(uint32_t filter) {
  const size_t before = items_.size();
  if (IsOdd(filter)) {
    items_.clear();
    return before;
  }
  if (filter == 0) return 0;
  std::erase_if(items_, [filter](const Item& item) { return Matches(item, filter); });
  return before - items_.size();
}

std::optional<size_t> ReportList::FindPartialText(std::u16string_view text) const {
  for (size_t row = 0; row < items_.size(); ++row) {
    const std::u16string_view first = items_[row].texts.front();
    if (first.size() >= text.size() && EqualsIgnoringAsciiCase(first.substr(0, text.size()), text)) return row;
  }
  return std::nullopt;
}

void ReportList::ClearSortOrder() {
  sort_column_.reset();
  ascending_ = true;
}

std::optional<ReportList::SortOrder> ReportList::sort_order() const {
  if (!sort_column_) return std::nullopt;
  return SortOrder{*sort_column_, ascending_};
}

std::optional<ReportList::SortOrder> ReportList::SortByHeading(size_t column) {
  if (column >= headings_.size()) return std::nullopt;
  ascending_ = !(sort_column_ == column && ascending_);
  sort_column_ = column;
  if (items_.size() >= 2) {
    std::vector<size_t> order(items_.size());
    for (size_t i = 0; i < order.size(); ++i) order[i] = i;
    QuickSort(order, column, ascending_);
    // Whole rows move, so each keeps its states and its record wherever it lands.
    std::vector<Item> sorted;
    sorted.reserve(items_.size());
    for (const size_t from : order) sorted.push_back(std::move(items_[from]));
    items_ = std::move(sorted);
  }
  return SortOrder{column, ascending_};
}

int ReportList::CompareRows(size_t a, size_t b, size_t column, bool ascending) const {
  if (a == b) return 0;
  const int order = CompareReportTexts(ItemText(a, column), ItemText(b, column));
  return ascending ? order : -order;
}

void ReportList::QuickSort(std::vector<size_t>& order, size_t column, bool ascending) const {
  // Ranges still to sort, both ends inclusive. The smaller part of each partition is pushed
  // last and so taken next, which keeps this stack to about log2(n) entries even for input
  // that makes every partition lopsided; the order of the result is the same as sorting the
  // left part first.
  std::vector<std::pair<size_t, size_t>> ranges{{0, order.size() - 1}};
  while (!ranges.empty()) {
    auto [lo, hi] = ranges.back();
    ranges.pop_back();
    if (lo >= hi) continue;
    const size_t pivot = order[lo + (hi - lo) / 2];
    size_t i = lo;
    size_t j = hi;
    // Each scan stops at the pivot or at an element a swap put beyond it, so neither leaves
    // the range; the bounds only make that certain whatever the comparison answers.
    while (i <= j) {
      while (i < hi && CompareRows(order[i], pivot, column, ascending) < 0) ++i;
      while (j > lo && CompareRows(order[j], pivot, column, ascending) > 0) --j;
      if (i > j) break;
      std::swap(order[i], order[j]);
      ++i;
      if (j == lo) break;
      --j;
    }
    const std::pair<size_t, size_t> left{lo, j};
    const std::pair<size_t, size_t> right{i, hi};
    const bool left_smaller = j - lo < hi - std::min(i, hi);
    ranges.push_back(left_smaller ? right : left);
    ranges.push_back(left_smaller ? left : right);
  }
}

}  // namespace orra
