#include "testing/large_terminal.h"

#include <cstdio>
#include <stdexcept>
#include <string>

#include "common/utf8.h"

namespace orra::terminal {
namespace {

using nlohmann::json;

constexpr int kShanghaiBase = 600000;
constexpr int kParameterControls = 3;  // date, choice and text in turn

// Even numbers are Shanghai codes, odd ones Shenzhen, so both exchanges' spellings are read.
std::string SecurityCode(int n) {
  char text[16];
  std::snprintf(text, sizeof text, n % 2 == 0 ? "%06d.sh" : "%06d.sz", n % 2 == 0 ? kShanghaiBase + n : n);
  return text;
}

// Built by appending: MinGW's GCC 12 warns falsely (-Wrestrict) on a literal + std::string.
std::string Numbered(const char* prefix, int n) {
  std::string text = prefix;
  text += std::to_string(n);
  return text;
}

void Check(bool condition, const char* what) {
  if (!condition) throw std::invalid_argument(what);
}

json Leaf(const LargeTerminalShape& shape, int leaf) {
  const std::string name = shape.leaf_names.empty()
                               ? Numbered("指标", leaf)
                               : ToUtf8(shape.leaf_names[static_cast<size_t>(leaf) % shape.leaf_names.size()]);
  json record = {{"name", name}, {"service", Numbered("stock.i", leaf)}};
  if (shape.parameters > 0) {
    record["params"] = json::array({"tradedate", Numbered("p", leaf % shape.parameters)});
  }
  return record;
}

json Indicators(const LargeTerminalShape& shape) {
  const int lower_folders = shape.top_folders * shape.sub_folders;
  const int leaves = shape.indicator_records - shape.top_folders - lower_folders;
  const int per_folder = leaves / lower_folders;
  json tree = json::array();
  int leaf = 0;
  for (int t = 0; t < shape.top_folders; ++t) {
    json subs = json::array();
    for (int s = 0; s < shape.sub_folders; ++s) {
      const bool last = t == shape.top_folders - 1 && s == shape.sub_folders - 1;
      const int count = per_folder + (last ? leaves % lower_folders : 0);
      json children = json::array();
      for (int n = 0; n < count; ++n, ++leaf) children.push_back(Leaf(shape, leaf));
      subs.push_back({{"folder", Numbered("子目录", s)}, {"children", std::move(children)}});
    }
    tree.push_back({{"folder", Numbered("目录", t)}, {"children", std::move(subs)}});
  }
  return tree;
}

json Parameters(const LargeTerminalShape& shape) {
  json tree = json::array();
  if (shape.parameters == 0) return tree;
  tree.push_back({{"name", "tradedate"}, {"control", "date"}, {"default", "-1010"}});
  for (int n = 0; n < shape.parameters; ++n) {
    const std::string name = Numbered("p", n);
    switch (n % kParameterControls) {
      case 0:
        tree.push_back({{"name", name}, {"control", "date"}, {"default", "-1010"}});
        break;
      case 1:
        tree.push_back({{"name", name},
                        {"control", "choice"},
                        {"choices", json::array({json::array({"甲", "1"}), json::array({"乙", "2"}),
                                                 json::array({"丙", "3"})})}});
        break;
      default:
        tree.push_back({{"name", name}, {"default", "文本"}});
    }
  }
  return tree;
}

// Members step through the securities seven at a time, so a category's members are not a run
// of neighbouring codes.
json Market(const LargeTerminalShape& shape) {
  json top = json::array();
  int member = 0;
  for (int t = 0; t < shape.top_categories; ++t) {
    json children = json::array();
    for (int c = 0; c < shape.child_categories; ++c) {
      json members = json::array();
      for (int m = 0; m < shape.members_per_category; ++m) {
        members.push_back(SecurityCode((member++ * 7) % shape.securities));
      }
      children.push_back({{"code", Numbered("C", t) + Numbered("_", c)},
                          {"name", Numbered("分类", c)},
                          {"members", std::move(members)}});
    }
    top.push_back({{"code", Numbered("T", t)},
                   {"name", Numbered("顶层", t)},
                   {"scheme", 1 + t % 2},
                   {"children", std::move(children)}});
  }
  return {{"schemes", {{{"scheme", 1}, {"categories", std::move(top)}}}}};
}

json Blocks(const LargeTerminalShape& shape) {
  json blocks = json::array();
  for (int b = 0; b < shape.blocks; ++b) {
    json stocks = json::array();
    for (int s = 0; s < shape.stocks_per_block; ++s) {
      stocks.push_back({SecurityCode((b * shape.stocks_per_block + s) % shape.securities), "名称", "信息"});
    }
    blocks.push_back({{"name", Numbered("板块", b)}, {"stocks", std::move(stocks)}});
  }
  return json::array({{{"group", "市场导航"}, {"blocks", std::move(blocks)}}});
}

}  // namespace

json DescribeLargeTerminal(const LargeTerminalShape& shape) {
  Check(shape.top_folders > 0 && shape.sub_folders > 0, "the indicator tree needs folders on both levels");
  Check(shape.indicator_records >= shape.top_folders * (1 + shape.sub_folders),
        "fewer indicator records than folders");
  Check(shape.parameters >= 0 && shape.securities >= 0, "a negative count");
  const bool has_market = shape.top_categories > 0;
  const bool has_blocks = shape.blocks > 0;
  Check(shape.securities > 0 || (!has_market && !has_blocks), "members and blocks name securities");

  json description = {{"indicators", {{"tree", Indicators(shape)}}}, {"parameters", {{"tree", Parameters(shape)}}}};
  if (shape.securities > 0) {
    json securities = json::array();
    for (int n = 0; n < shape.securities; ++n) securities.push_back({SecurityCode(n), Numbered("证券", n)});
    description["securities"] = std::move(securities);
  }
  if (has_market) description["market"] = Market(shape);
  if (has_blocks) description["self_blocks"] = Blocks(shape);
  return description;
}

}  // namespace orra::terminal
