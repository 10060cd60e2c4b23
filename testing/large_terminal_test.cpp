#include "testing/large_terminal.h"

#include <gtest/gtest.h>

#include <set>
#include <stdexcept>
#include <string>

#include "testing/terminal_description.h"

namespace orra::terminal {
namespace {

using nlohmann::json;

// 3 top folders of 2 sub-folders each: 9 folders, 25 leaves, 4 to a sub-folder and 5 in the last.
LargeTerminalShape Small() {
  LargeTerminalShape shape;
  shape.top_folders = 3;
  shape.sub_folders = 2;
  shape.indicator_records = 34;
  return shape;
}

std::vector<json> Leaves(const json& description) {
  std::vector<json> leaves;
  for (const json& top : description["indicators"]["tree"]) {
    for (const json& sub : top["children"]) {
      for (const json& leaf : sub["children"]) leaves.push_back(leaf);
    }
  }
  return leaves;
}

TEST(LargeTerminal, HoldsTheRecordsAskedForWithTheRemainderInTheLastFolder) {
  const json description = DescribeLargeTerminal(Small());
  const json& tree = description["indicators"]["tree"];
  ASSERT_EQ(tree.size(), 3u);
  for (const json& top : tree) ASSERT_EQ(top["children"].size(), 2u);
  EXPECT_EQ(tree[0]["children"][0]["children"].size(), 4u);
  EXPECT_EQ(tree[2]["children"][1]["children"].size(), 5u);
  const std::vector<json> leaves = Leaves(description);
  ASSERT_EQ(leaves.size(), 25u);
  EXPECT_EQ(leaves.front()["name"], "指标0");
  EXPECT_EQ(leaves.back()["name"], "指标24");
  EXPECT_EQ(leaves.back()["service"], "stock.i24");
  EXPECT_FALSE(leaves.front().contains("params")) << "no parameters asked for";
  EXPECT_TRUE(description["parameters"]["tree"].empty());
  EXPECT_FALSE(description.contains("securities") || description.contains("market") ||
               description.contains("self_blocks"));
  EXPECT_FALSE(DescribeDataFiles(description).empty());
}

TEST(LargeTerminal, LeavesTakeTheGivenNamesInTurn) {
  LargeTerminalShape shape = Small();
  shape.leaf_names = {u"收盘价", u"MACD"};
  const std::vector<json> leaves = Leaves(DescribeLargeTerminal(shape));
  EXPECT_EQ(leaves[0]["name"], "收盘价");
  EXPECT_EQ(leaves[1]["name"], "MACD");
  EXPECT_EQ(leaves[24]["name"], "收盘价");
}

TEST(LargeTerminal, EveryNameALeafOrAMemberUsesIsDescribed) {
  LargeTerminalShape shape = Small();
  shape.parameters = 4;
  shape.securities = 5;
  shape.top_categories = 2;
  shape.child_categories = 3;
  shape.members_per_category = 4;
  shape.blocks = 2;
  shape.stocks_per_block = 7;
  const json description = DescribeLargeTerminal(shape);

  std::set<std::string> parameters;
  for (const json& parameter : description["parameters"]["tree"]) {
    parameters.insert(parameter["name"].get<std::string>());
  }
  EXPECT_EQ(parameters.size(), 5u) << "tradedate and p0 to p3";
  for (const json& leaf : Leaves(description)) {
    for (const json& name : leaf["params"]) EXPECT_TRUE(parameters.count(name.get<std::string>())) << name;
  }

  std::set<std::string> codes;
  for (const json& security : description["securities"]) codes.insert(security[0].get<std::string>());
  EXPECT_EQ(codes, (std::set<std::string>{"600000.sh", "000001.sz", "600002.sh", "000003.sz", "600004.sh"}));
  size_t members = 0;
  for (const json& top : description["market"]["schemes"][0]["categories"]) {
    for (const json& child : top["children"]) {
      for (const json& code : child["members"]) EXPECT_TRUE(codes.count(code.get<std::string>())) << code;
      members += child["members"].size();
    }
  }
  EXPECT_EQ(members, 2u * 3u * 4u);
  const json& blocks = description["self_blocks"][0]["blocks"];
  ASSERT_EQ(blocks.size(), 2u);
  for (const json& block : blocks) {
    ASSERT_EQ(block["stocks"].size(), 7u);
    for (const json& stock : block["stocks"]) EXPECT_TRUE(codes.count(stock[0].get<std::string>())) << stock;
  }
  EXPECT_EQ(DescribeDataFiles(description).size(), 5u);
}

TEST(LargeTerminal, RefusesAShapeItCannotBuild) {
  LargeTerminalShape too_few = Small();
  too_few.indicator_records = 8;
  EXPECT_THROW(DescribeLargeTerminal(too_few), std::invalid_argument) << "fewer records than folders";
  LargeTerminalShape no_folders = Small();
  no_folders.sub_folders = 0;
  EXPECT_THROW(DescribeLargeTerminal(no_folders), std::invalid_argument);
  LargeTerminalShape members_without_securities = Small();
  members_without_securities.top_categories = 1;
  members_without_securities.child_categories = 1;
  members_without_securities.members_per_category = 1;
  EXPECT_THROW(DescribeLargeTerminal(members_without_securities), std::invalid_argument);
}

}  // namespace
}  // namespace orra::terminal
