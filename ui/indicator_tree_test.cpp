#include "ui/indicator_tree.h"

#include <gtest/gtest.h>

#include "common/text_conversion.h"
#include "testing/terminal_files.h"

namespace orra {
namespace {

using terminal::RecordLayout;

RecordLayout Node(bool folder, int64_t id, int64_t parent, const std::u16string& name) {
  RecordLayout r;
  r.folder = folder;
  r.id = id;
  r.parent_id = parent;
  r.name = ToNarrowString(name);
  return r;
}

std::shared_ptr<const CRecordFile> File(const std::vector<RecordLayout>& layouts) {
  auto file = std::make_shared<CRecordFile>(u"", 38);
  file->Decode(terminal::EncodeRecordFile(38, 1, layouts));
  return file;
}

// Every node as "parent text > text" ("" for the top level), in insertion order.
std::vector<std::u16string> Outline(const IndicatorTree& tree) {
  std::vector<std::u16string> out;
  for (const IndicatorTreeNode& node : tree.nodes()) {
    std::u16string line(node.parent ? tree.nodes()[*node.parent].text : u"");
    line += u" > ";
    line += node.text;
    out.push_back(std::move(line));
  }
  return out;
}

TEST(IndicatorTreeTest, FoldersAndLeavesInFileOrderEachFolderFollowedByItsChildren) {
  const IndicatorTree tree(File({
      Node(false, 1, 0, u"收盘价"),
      Node(true, 2, 0, u"行情"),
      Node(false, 3, 2, u"开盘价"),
      Node(true, 4, 2, u"估值"),
      Node(false, 5, 0, u"名称"),
      Node(false, 6, 4, u"市盈率"),
      Node(false, 7, 2, u"最高价"),
      Node(false, 8, 99, u"无主"),
  }));
  EXPECT_EQ(Outline(tree), (std::vector<std::u16string>{u" > 收盘价", u" > [ 行情 ]", u"[ 行情 ] > 开盘价",
                                                         u"[ 行情 ] > [ 估值 ]", u"[ 估值 ] > 市盈率",
                                                         u"[ 行情 ] > 最高价", u" > 名称"}));
  // Every node names its own record; the view inserts in vector order, parents first.
  for (size_t n = 0; n < tree.nodes().size(); ++n) {
    const IndicatorTreeNode& node = tree.nodes()[n];
    if (node.parent) {
      EXPECT_LT(*node.parent, n);
    }
    const RecordView record = tree.Record(n)->view();
    EXPECT_EQ(record.is_folder, node.is_folder);
    EXPECT_NE(node.text.find(ToWideString(record.name)), std::u16string::npos);
    // The tree view's item takes the text's data() as it is.
    EXPECT_EQ(node.text.data()[node.text.size()], u'\0');
  }
  EXPECT_EQ(tree.Record(tree.nodes().size()), std::nullopt);
  ASSERT_EQ(tree.candidates().size(), 5u);
  EXPECT_EQ(tree.candidates()[0].name, u"收盘价");
  EXPECT_EQ(tree.FindCandidate(u"市盈率"), 4u);
  EXPECT_EQ(tree.FindCandidate(u"无主"), std::nullopt);
  EXPECT_EQ(tree.FindCandidate(u"[ 行情 ]"), std::nullopt);
}

TEST(IndicatorTreeTest, FoldersWithoutLeavesGiveATreeWithoutCandidates) {
  const IndicatorTree tree(File({Node(true, 1, 0, u"A"), Node(true, 2, 1, u"B"), Node(true, 3, 0, u"C")}));
  EXPECT_EQ(Outline(tree), (std::vector<std::u16string>{u" > [ A ]", u"[ A ] > [ B ]", u" > [ C ]"}));
  EXPECT_TRUE(tree.candidates().empty());
  EXPECT_EQ(tree.FindCandidate(u"A"), std::nullopt);
}

TEST(IndicatorTreeTest, TwoIndicatorsOfOneNameAreBothShownAndTheSearchFindsTheFirst) {
  const IndicatorTree tree(File({
      Node(true, 1, 0, u"F"),
      Node(false, 2, 1, u"close"),
      Node(false, 3, 0, u"close"),
      Node(false, 4, 0, u"Close"),
  }));
  ASSERT_EQ(tree.nodes().size(), 4u);
  EXPECT_EQ(tree.FindCandidate(u"close"), 1u);
  EXPECT_EQ(tree.FindCandidate(u"Close"), 3u);  // the comparison keeps letter case
  EXPECT_EQ(tree.FindCandidate(u"clos"), std::nullopt);
  ASSERT_EQ(tree.candidates().size(), 2u);
  EXPECT_EQ(tree.candidates()[0].node, 1u);
  EXPECT_EQ(tree.candidates()[1].node, 3u);
}

TEST(IndicatorTreeTest, TheWalkEndsAtTheFirstRecordWithIdZero) {
  const IndicatorTree tree(File({Node(false, 1, 0, u"a"), Node(false, 0, 0, u"end"), Node(false, 2, 0, u"b")}));
  EXPECT_EQ(Outline(tree), (std::vector<std::u16string>{u" > a"}));
}

TEST(IndicatorTreeTest, TextsAreCutToTheViewsBuffer) {
  const std::u16string long_name(90, u'长');
  const IndicatorTree tree(File({Node(true, 1, 0, long_name), Node(false, 2, 1, long_name)}));
  ASSERT_EQ(tree.nodes().size(), 2u);
  EXPECT_EQ(tree.nodes()[0].text, u"[ " + long_name.substr(0, IndicatorTree::kMaxTextChars - 2));
  EXPECT_EQ(tree.nodes()[1].text, long_name.substr(0, IndicatorTree::kMaxTextChars));
  EXPECT_EQ(tree.FindCandidate(long_name.substr(0, IndicatorTree::kMaxTextChars)), 1u);
}

TEST(IndicatorTreeTest, FoldersThatFileThemselvesAreBuiltOnce) {
  const IndicatorTree tree(File({
      Node(true, 1, 0, u"top"),
      Node(true, 2, 1, u"inner"),
      Node(true, 1, 2, u"back"),  // building it again would repeat "inner" without end
      Node(true, 3, 3, u"self"),
      Node(false, 4, 2, u"leaf"),
  }));
  EXPECT_EQ(Outline(tree), (std::vector<std::u16string>{u" > [ top ]", u"[ top ] > [ inner ]", u"[ inner ] > [ back ]",
                                                         u"[ inner ] > leaf"}));
}

TEST(IndicatorTreeTest, NoFileOrAnEmptyOneGivesAnEmptyTree) {
  EXPECT_TRUE(IndicatorTree(nullptr).nodes().empty());
  EXPECT_TRUE(IndicatorTree(File({})).nodes().empty());
  EXPECT_TRUE(IndicatorTree(File({Node(false, 5, 7, u"orphan")})).nodes().empty());
}

}  // namespace
}  // namespace orra
