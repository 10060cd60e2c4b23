#pragma once
// Server data that answers a stand-in terminal's indicators: for every indicator of a terminal
// description (the JSON `orra-terminal write` reads), a table on its service path with one row
// per security (and per price adjustment, where the indicator takes "priceadj"), holding a
// value of the indicator's kind. The values are a fixed function of code, service and
// adjustment, so a test can tell what a cell must show.

#include <cstddef>
#include <string>
#include <utility>
#include <vector>

#include <nlohmann/json.hpp>

namespace orra::server {

struct TerminalAnswerOptions {
  // How many of the description's securities get rows: the first half of them from the
  // Shanghai market (".sh"), the rest from the others, each in file order.
  size_t securities = 50;
};

// The data file (the JSON ServerData::Load reads) for `terminal`; throws nlohmann::json
// exceptions when the description is not shaped as orra-terminal expects.
nlohmann::json AnswersForTerminal(const nlohmann::json& terminal, const TerminalAnswerOptions& options);

// The securities (code, name) that get rows.
std::vector<std::pair<std::string, std::string>> AnsweredSecurities(const nlohmann::json& terminal,
                                                                    const TerminalAnswerOptions& options);

// The number the table holds for a numeric indicator: what the tests expect a cell to show.
double AnswerNumber(const std::string& code, const std::string& service, int price_adjustment, int decimals);
// The date a date indicator's table holds, as "YYYY-MM-DD".
std::string AnswerDate(const std::string& code, const std::string& service);

}  // namespace orra::server
