#pragma once
// What a cell of the stand-in workbook holds (a typed constant or the value its formula last
// gave) and how Excel shows it with the General format.
//
// Pure values and functions; any thread.

#include <cstdint>
#include <string>
#include <variant>

namespace orra::xlhost {

struct ErrorValue {
  int32_t code = 0;
  friend bool operator==(const ErrorValue&, const ErrorValue&) = default;
};

// monostate is an empty cell.
using GridValue = std::variant<std::monostate, double, std::u16string, bool, ErrorValue>;

// Excel's text of an error code ("#VALUE!"); "#N/A" style names for the codes it knows, else
// "#ERR<code>" so a wrong code is visible rather than guessed.
std::string ErrorText(int32_t code);

// A number as the General format writes it in a wide column: up to 15 significant digits, no
// trailing zeros, an exponent ("1E+16") only where the digits do not fit.
std::string GeneralNumberText(double number);

// The cell's text as the grid shows it, UTF-8: an empty cell is "", a boolean TRUE/FALSE.
std::string ShownText(const GridValue& value);

}  // namespace orra::xlhost
