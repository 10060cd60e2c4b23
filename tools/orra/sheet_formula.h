#pragma once
// A sheet of XDP formulas as `orra sheet` reads it: one cell a line, "CELL FORMULA", for
// example   B2 =XDP("600000","收盘价","@tradedate@=20200101")
// Arguments are double-quoted texts ("" inside stands for one quote) or bare numbers; blank
// lines and lines starting with '#' are skipped. The file is UTF-8.

#include <optional>
#include <string>
#include <vector>

namespace orra::cli {

struct SheetCell {
  std::string cell;  // A1 reference, as written
  int line = 0;
  // The XDP arguments in order; nullopt for an omitted one (",,").
  std::vector<std::optional<std::u16string>> arguments;
};

// The cells of `text`; on a malformed line, nullopt and `error` says which line and why.
std::optional<std::vector<SheetCell>> ParseSheet(const std::string& text, std::string& error);

// The topic list the worksheet function sends for a cell (caller address, function id 0, the
// arguments with omitted ones and placement options left out), or nullopt when a required
// argument is missing and the cell shows the fixed-parameter text instead.
std::optional<std::vector<std::u16string>> XdpTopics(const SheetCell& cell, const std::u16string& sheet_name);

// '[orra]Sheet1'!B2
std::u16string CallerAddress(const std::u16string& sheet_name, const std::string& cell);

}  // namespace orra::cli
