#pragma once
// ReportList: the add-in's report list control without its window. It holds the rows (one text
// per column, a ReportRow record, the selected, checked and focused states), counts and deletes
// rows by RowState, finds a row by the beginning of its first column's text, and sorts on a
// heading click, ordering number-shaped texts by their shape (report_text_order.h).
//
// The Win32 view forwards every call here and then makes its list view show the model's rows:
// after an insertion or a deletion it inserts or deletes the same row, after a sort it rewrites
// every row from the model (texts and states follow their rows), and it draws each cell in the
// colours of CellColoursAt. Indices are the list view's: rows and columns from 0.
//
// One thread: the user-interface thread that owns the view.

#include <cstddef>
#include <cstdint>
#include <limits>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "ui/report_row.h"
#include "ui/row_state.h"

namespace orra {

class ReportList {
 public:
  // The list view counts its rows in an int; beyond that it refuses an insertion.
  static constexpr size_t kMaxRows = static_cast<size_t>(std::numeric_limits<int32_t>::max());

  struct SortOrder {
    size_t column = 0;
    bool ascending = true;
    friend bool operator==(const SortOrder&, const SortOrder&) = default;
  };

  // Cells made later start in `default_colours`.
  explicit ReportList(CellColours default_colours) : default_colours_(default_colours) {}

  // Inserts a column at `index` (at the end when beyond it) and gives every row an empty text
  // and default colours there. The new column's index.
  size_t InsertColumn(size_t index, std::u16string heading);
  size_t column_count() const { return headings_.size(); }
  std::u16string_view Heading(size_t column) const;

  // Inserts a row at `index` (at the end when beyond it) with `text` in its first column; clears
  // the sort order. None when the list is full.
  std::optional<size_t> InsertItem(size_t index, std::u16string text);
  // Clears the sort order; false when there is no such cell.
  bool SetItemText(size_t row, size_t column, std::u16string text);
  // Empty when there is no such cell.
  std::u16string_view ItemText(size_t row, size_t column) const;
  bool SetItemData(size_t row, uintptr_t value);
  std::optional<uintptr_t> GetItemData(size_t row) const;
  std::optional<CellColours> CellColoursAt(size_t row, size_t column) const;

  // The row's RowState flags; 0 when there is no such row.
  uint32_t GetItemStates(size_t row) const;
  // Applies every flag of kRowSelected .. kRowNotFocused in `flags` (focusing a row takes the
  // focus from the others). True only when the row exists and at least one change was asked.
  bool SetItemStates(size_t row, uint32_t flags);
  // An odd filter counts every row, 0 none, any other the rows whose state holds all its bits.
  size_t GetItemCount(uint32_t filter = kRowAll) const;

  // When `select_next`, first selects the row after it. False when there is no such row.
  bool DeleteItem(size_t row, bool select_next);
  // An odd filter deletes every row, any other non-zero filter the rows whose state holds all
  // its bits. The number of rows deleted.
  size_t DeleteItems(uint32_t filter);

  // The first row whose first column begins with `text`, letters A-Z compared without case.
  std::optional<size_t> FindPartialText(std::u16string_view text) const;

  // A click on heading `column`: sorts every row by that column, ascending unless the same
  // column was sorted ascending last. The order to announce to the parent; none for a column
  // the list does not have.
  std::optional<SortOrder> SortByHeading(size_t column);
  std::optional<SortOrder> sort_order() const;

 private:
  struct Item {
    std::vector<std::u16string> texts;  // one per column
    ReportRow record;
    bool selected = false;
    bool checked = false;
    bool focused = false;
  };

  static bool Matches(const Item& item, uint32_t filter);
  static uint32_t StatesOf(const Item& item);
  void ClearSortOrder();
  // Orders `order` (row indices) by the texts of `column`, with the quicksort the view's users
  // know: middle pivot, not stable.
  void QuickSort(std::vector<size_t>& order, size_t column, bool ascending) const;
  int CompareRows(size_t a, size_t b, size_t column, bool ascending) const;

  CellColours default_colours_;
  std::vector<std::u16string> headings_;
  std::vector<Item> items_;
  std::optional<size_t> sort_column_;
  bool ascending_ = true;
};

}  // namespace orra
