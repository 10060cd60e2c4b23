#pragma once
// ReportRow: what a report list keeps of its own for one row besides the list view's texts and
// states: the caller's value and the colours each cell is drawn in. Colours are Windows'
// COLORREF values (0x00BBGGRR), held as plain numbers so the model stays portable.

#include <cstdint>
#include <vector>

namespace orra {

using ColourRef = uint32_t;

// The colours a new cell starts with: the system's window-text and window colours, read by the
// view when it makes the list.
struct CellColours {
  ColourRef text = 0;
  ColourRef background = 0;
  friend bool operator==(const CellColours&, const CellColours&) = default;
};

struct ReportRow {
  uintptr_t user_value = 0;  // a full pointer's width
  std::vector<CellColours> colours;  // one per column
};

}  // namespace orra
