#pragma once
// A large terminal's description, generated: an indicator tree of two folder levels with its
// leaves spread evenly over the lower one, and as many parameters, securities, classification
// members and self-selected blocks as the benchmarks ask for. The benchmarks that time the
// store's load and the navigator over it build their terminal here, so that their figures
// speak of the same data.

#include <string>
#include <vector>

#include <nlohmann/json.hpp>

namespace orra::terminal {

// How much of each part the terminal holds. The indicator and parameter files are always
// written (the parameter tree empty when `parameters` is 0); the securities, the market's
// classification and the blocks only when their counts are above 0.
struct LargeTerminalShape {
  int top_folders = 20;
  int sub_folders = 24;  // under each top folder: 20 + 20 * 24 = 500 folders
  int indicator_records = 100000;  // folders and leaves together
  // The leaves take these names in turn; left empty, leaf n is named 指标n.
  std::vector<std::u16string> leaf_names;
  // Besides tradedate, which comes first; each leaf then takes tradedate and one of these.
  // With 0 there is no tradedate either and the leaves take no parameter.
  int parameters = 0;
  int securities = 0;
  int top_categories = 0;
  int child_categories = 0;  // under each top category
  int members_per_category = 0;
  int blocks = 0;
  int stocks_per_block = 0;
};

// Throws std::invalid_argument for a shape that cannot be built: fewer records than folders,
// or members and blocks without securities to name.
nlohmann::json DescribeLargeTerminal(const LargeTerminalShape& shape);

}  // namespace orra::terminal
