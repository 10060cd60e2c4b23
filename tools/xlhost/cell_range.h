#pragma once
// A rectangle of cells as Excel's object model hands it around (a Range of one area), how a
// client names one in a text (Application.Range) and how Range.Address writes one back.
//
// Texts read: "B2", "b2:C5", "$B$2", "B$2:$C5", and with a sheet in front "Sheet1!B2",
// "[Book1.xlsx]Sheet1!B2", "'[Book1.xlsx]Sheet1'!$B$2:$C$3" (a doubled apostrophe inside the
// quotes stands for one). Two corners in either order name the same rectangle.
//
// Pure values and functions; any thread.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "tools/xlhost/cell_address.h"

namespace orra::xlhost {

struct CellRange {
  CellAddress first;  // top left
  CellAddress last;   // bottom right

  static CellRange Of(CellAddress cell) { return CellRange{cell, cell}; }
  int64_t rows() const { return int64_t{last.row} - first.row + 1; }
  int64_t columns() const { return int64_t{last.column} - first.column + 1; }
  int64_t cells() const { return rows() * columns(); }
  bool Contains(CellAddress cell) const {
    return cell.row >= first.row && cell.row <= last.row && cell.column >= first.column &&
           cell.column <= last.column;
  }
  friend bool operator==(const CellRange&, const CellRange&) = default;
};

// The cells both ranges hold; none when they do not meet.
std::optional<CellRange> Intersection(const CellRange& a, const CellRange& b);
// The smallest range holding both, as Range(Cell1, Cell2) spans them.
CellRange Span(const CellRange& a, const CellRange& b);
// `range`'s top left cell made `rows` by `columns`; none when that leaves Excel's grid or a
// size is below 1.
std::optional<CellRange> Resized(const CellRange& range, int64_t rows, int64_t columns);

struct RangeReference {
  std::optional<std::u16string> book;   // without brackets
  std::optional<std::u16string> sheet;  // none when the text names no sheet
  CellRange range;
};

// None for anything that is not one of the forms above, or a cell outside Excel's grid.
std::optional<RangeReference> ParseRangeReference(std::u16string_view text);

enum class ReferenceStyle { kA1, kR1C1 };

// Range.Address's arguments, with Excel's defaults.
struct AddressStyle {
  bool row_absolute = true;
  bool column_absolute = true;
  ReferenceStyle style = ReferenceStyle::kA1;
  bool external = false;
  // The cell relative R1C1 references count from (RelativeTo's top left).
  CellAddress relative_to{};
};

// "$B$2", "B2:C5", "R2C2", "R[1]C[-1]"; with `external`, "[Book1.xlsx]Sheet1!$B$2", the
// qualifier in apostrophes when a name holds anything but letters, digits, '_' and '.'.
std::u16string RangeAddress(const CellRange& range, const AddressStyle& style,
                            std::u16string_view book, std::u16string_view sheet);

}  // namespace orra::xlhost
