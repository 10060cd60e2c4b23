#pragma once
// A worksheet formula as the stand-in Excel evaluates it: one call, =NAME(argument, ...), whose
// arguments are constants, references to single cells of the sheet, or omitted. Written in
// Excel's own syntax: texts in double quotes with "" for a quote, TRUE and FALSE, numbers,
// A1 references, also with a book and sheet in front ("[Book1]Sheet1!B2", read on the one
// sheet); an argument left empty (",,", or "=F()" with nothing) is omitted.
//
// Pure values and functions; any thread.

#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "tools/xlhost/cell_address.h"
#include "tools/xlhost/grid_value.h"

namespace orra::xlhost {

struct OmittedArgument {
  friend bool operator==(const OmittedArgument&, const OmittedArgument&) = default;
};

// A constant (never monostate), a reference, or nothing.
using FormulaArgument = std::variant<GridValue, CellAddress, OmittedArgument>;

struct Formula {
  std::string name;  // in upper case, as Excel keeps a function name however it was typed
  std::vector<FormulaArgument> arguments;
};

// Reads one constant as a formula or a scenario writes it: "text", TRUE/FALSE, a number.
// `text` is UTF-8. None when it is none of these.
std::optional<GridValue> ParseConstant(std::string_view text);

// Reads "=NAME(...)". On a malformed formula, none, and `error` says what is wrong.
std::optional<Formula> ParseFormula(std::string_view text, std::string& error);

}  // namespace orra::xlhost
