#pragma once
// Port: what the parameter panel asks Excel about cell references, through the application
// object the add-in holds (late-bound IDispatch on Windows; a double in tests). Called on the
// user-interface thread; the adapter makes the calls in a way Excel's object model accepts
// from there.

#include <optional>
#include <string>
#include <string_view>

namespace orra {

class CellReferenceProbe {
 public:
  virtual ~CellReferenceProbe() = default;
  // Whether _Application.Range(text) gives a range. An error raised by Excel, or Excel not
  // answering, is false: the text is then no reference.
  virtual bool IsRange(std::u16string_view text) = 0;
  // _Application.ActiveCell.Address with row and column absolute left to their defaults, style
  // A1 and external set ("[Book1]Sheet1!$B$3"); none when Excel raises an error.
  virtual std::optional<std::u16string> ActiveCellAddress() = 0;
};

}  // namespace orra
