#pragma once
// A cell of the stand-in workbook's sheet, counted from 0 as the C API counts rows and columns,
// and its A1 spelling as scenario files and the printed grid write it.
//
// Pure values and functions; any thread.

#include <compare>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace orra::xlhost {

struct CellAddress {
  int32_t row = 0;
  int32_t column = 0;

  // Row first, so an ordered map of cells walks the sheet the way Excel recalculates a simple
  // sheet and the way the grid prints: row by row, left to right.
  friend auto operator<=>(const CellAddress&, const CellAddress&) = default;
};

// "B3" or "b3" (no "$", no sheet); none for anything else or a cell outside Excel's grid.
std::optional<CellAddress> ParseA1(std::string_view text);

std::string ColumnLetters(int32_t column);
std::string A1Text(CellAddress cell);

}  // namespace orra::xlhost
