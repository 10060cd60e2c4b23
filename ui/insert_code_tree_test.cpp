#include "ui/insert_code_tree.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "store/ini_text.h"
#include "store/store_files.h"
#include "testing/terminal_description.h"

namespace orra {
namespace {

using nlohmann::json;

struct Snapshots {
  std::shared_ptr<CSelfBlockList> self_blocks;
  std::shared_ptr<const CBlockData> market;
};

// The store's snapshots of a terminal described in JSON, decoded from the files it would write.
Snapshots Decode(const json& description) {
  Snapshots snapshots;
  for (const terminal::DataFile& file : terminal::DescribeDataFiles(description)) {
    if (file.name == kMarketDataName) {
      std::optional<CBlockData> market = CBlockData::Decode(file.bytes, nullptr);
      if (market) snapshots.market = std::make_shared<const CBlockData>(std::move(*market));
    } else if (file.name == kSelfBlockName) {
      CIniText text(false);
      text.LoadText(file.bytes);
      std::optional<CSelfBlockList> list = CSelfBlockList::ReadGroups(text, false);
      if (list) snapshots.self_blocks = std::make_shared<CSelfBlockList>(std::move(*list));
    }
  }
  return snapshots;
}

json Terminal(int kind) {
  json description = json::parse(R"({
    "securities": [["600000.sh", "浦发银行"], ["000001.sz", "平安银行"]],
    "market": {"schemes": [{"scheme": 1, "categories": [
      {"code": "SW", "name": "申万行业", "children": [
        {"code": "801780", "name": "银行", "members": ["600000.sh", "000001.sz"]},
        {"code": "8018", "name": "非银", "children": [{"code": "801790", "name": "证券"}]},
        {"code": "", "name": "其他"},
        {"code": "X9", "name": "别的方案", "scheme": 2},
        {"code": "ZG2", "name": "资管导航", "children": [{"code": "ZG21", "name": "信托"}]}]},
      {"code": "ZG", "name": "资管导航", "children": [{"code": "ZG1", "name": "公募"}]},
      {"code": "ZS", "name": "指数导航"},
      {"code": "HK", "name": "港股", "scheme": 3}]}]},
    "self_blocks": [
      {"group": "市场导航", "blocks": [{"name": "自选股一", "stocks": ["600000.sh"]}, {"name": "Bank"}]},
      {"group": "其他组", "blocks": [{"name": "不显示"}]}]
  })");
  description["market"]["kind"] = kind;
  return description;
}

struct Shown {
  std::u16string text;
  std::optional<size_t> parent;
  bool expanded;
  friend bool operator==(const Shown&, const Shown&) = default;
};

std::vector<Shown> Shape(const InsertCodeTree& tree) {
  std::vector<Shown> shown;
  for (const CodeTreeNode& node : tree.nodes()) shown.push_back({node.text, node.parent, node.expanded});
  return shown;
}

TEST(InsertCodeTreeTest, BlocksOfTheFirstGroupThenCategoriesWithBranchesBeforeLeaves) {
  const Snapshots s = Decode(Terminal(0));
  const InsertCodeTree tree = InsertCodeTree::Build(s.self_blocks.get(), s.market);
  const std::vector<Shown> expected = {
      {u"自选股", std::nullopt, false},
      {u"自选股一", 0, false},
      {u"Bank", 0, false},
      {u"申万行业", std::nullopt, false},
      {u"非银[ 8018 ]", 3, false},
      {u"证券[ 801790 ]", 4, false},
      {u"资管导航[ ZG2 ]", 3, false},  // only the top-level one is left out
      {u"信托[ ZG21 ]", 6, false},
      {u"银行[ 801780 ]", 3, false},
      {u"其他", 3, false},  // no code: the name alone
      {u"港股", std::nullopt, false},
  };
  EXPECT_EQ(Shape(tree), expected);
  EXPECT_EQ(tree.self_block_root(), 0u);
  EXPECT_EQ(tree.nodes()[0].kind, CodeTreeNode::Kind::kSelfBlockRoot);
  EXPECT_EQ(tree.nodes()[1].kind, CodeTreeNode::Kind::kSelfBlock);
  EXPECT_EQ(tree.nodes()[0].category, nullptr);
  ASSERT_NE(tree.nodes()[8].category, nullptr);
  EXPECT_EQ(tree.nodes()[8].category->code, "801780");
  EXPECT_EQ(tree.nodes()[8].category->scheme_id, 1);
}

TEST(InsertCodeTreeTest, KindSevenShowsNamesOnlyAndExpandsEveryCategory) {
  const Snapshots s = Decode(Terminal(CBlockData::kNamedCategoriesKind));
  const InsertCodeTree tree = InsertCodeTree::Build(nullptr, s.market);
  ASSERT_FALSE(tree.self_block_root());
  std::vector<std::u16string> texts;
  for (const CodeTreeNode& node : tree.nodes()) {
    texts.push_back(node.text);
    EXPECT_TRUE(node.expanded) << "not expanded";
  }
  EXPECT_EQ(texts, (std::vector<std::u16string>{u"申万行业", u"非银", u"证券", u"资管导航", u"信托", u"银行", u"其他",
                                                u"港股"}));
}

TEST(InsertCodeTreeTest, WithoutSnapshotsTheirPartsAreMissing) {
  const Snapshots s = Decode(Terminal(0));
  EXPECT_TRUE(InsertCodeTree::Build(nullptr, nullptr).nodes().empty());
  const InsertCodeTree blocks_only = InsertCodeTree::Build(s.self_blocks.get(), nullptr);
  EXPECT_EQ(blocks_only.nodes().size(), 3u);
  const InsertCodeTree market_only = InsertCodeTree::Build(nullptr, s.market);
  EXPECT_EQ(market_only.nodes().size(), 8u);
  EXPECT_EQ(market_only.nodes()[0].text, u"申万行业");
}

TEST(InsertCodeTreeTest, ACategoryWhoseParentKeyIsItsOwnCodeOpensNoFurther) {
  const Snapshots s = Decode(json::parse(R"({"market": {"schemes": [{"scheme": 1, "categories": [
      {"code": "SW", "name": "top", "children": [
        {"code": "sw", "name": "same", "children": [{"code": "q", "name": "deep"}]}]}]}]}})"));
  const InsertCodeTree tree = InsertCodeTree::Build(nullptr, s.market);
  ASSERT_EQ(tree.nodes().size(), 2u);
  EXPECT_EQ(tree.nodes()[1].text, u"same[ sw ]");
}

TEST(InsertCodeTreeTest, ParentKeysThatComeBackToAnOuterOneAreNotFollowed) {
  // A's children hold B, B's hold A again: followed naively, the tree would never end.
  const Snapshots s = Decode(json::parse(R"({"market": {"schemes": [{"scheme": 1, "categories": [
      {"code": "A", "name": "a", "children": [
        {"code": "B", "name": "b", "children": [
          {"code": "A", "name": "a again", "children": [{"code": "C", "name": "c"}]}]}]}]}]}})"));
  const InsertCodeTree tree = InsertCodeTree::Build(nullptr, s.market);
  const std::vector<Shown> expected = {{u"a", std::nullopt, false},
                                       {u"b[ B ]", 0, false},
                                       {u"a again[ A ]", 1, false},
                                       {u"c[ C ]", 0, false}};
  EXPECT_EQ(Shape(tree), expected);
}

TEST(InsertCodeTreeTest, NodesKeepTheMarketDataTheyCameFromAlive) {
  Snapshots s = Decode(Terminal(0));
  const std::weak_ptr<const CBlockData> weak = s.market;
  std::optional<InsertCodeTree> tree = InsertCodeTree::Build(nullptr, s.market);
  s.market.reset();
  ASSERT_FALSE(weak.expired());
  EXPECT_EQ(tree->nodes()[0].category->wide_name, u"申万行业");
  tree.reset();
  EXPECT_TRUE(weak.expired());
}

}  // namespace
}  // namespace orra
