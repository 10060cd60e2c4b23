#pragma once
// Port: the two questions the parameter panel asks Excel about cell references: the active
// cell's address (external, A1 style, as "[Book1.xlsx]Sheet1!$B$3") and whether a text names a
// range Excel accepts (Application.Range succeeds for it).
//
// The user-interface thread only: the adapter calls Excel through the application object
// marshalled into that thread's apartment.

#include <optional>
#include <string>
#include <string_view>

namespace orra {

class ExcelCellReferences {
 public:
  virtual ~ExcelCellReferences() = default;
  // None when Excel has no active cell (no workbook open) or refuses the call.
  virtual std::optional<std::u16string> ActiveCellAddress() = 0;
  virtual bool IsRange(std::u16string_view text) = 0;
};

}  // namespace orra
