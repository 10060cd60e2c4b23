#include "ui/report_list.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "ui/report_text_order.h"

namespace orra {
namespace {

constexpr CellColours kDefault{0x000000, 0xFFFFFF};

class ReportListTest : public ::testing::Test {
 protected:
  ReportListTest() {
    list_.InsertColumn(0, u"证券代码");
    list_.InsertColumn(1, u"证券简称");
  }

  void AddRows(const std::vector<std::u16string>& codes) {
    for (const std::u16string& code : codes) {
      const std::optional<size_t> row = list_.InsertItem(list_.GetItemCount(), code);
      ASSERT_TRUE(row);
      list_.SetItemText(*row, 1, u"name of " + code);
    }
  }

  std::vector<std::u16string> Column(size_t column) const {
    std::vector<std::u16string> texts;
    for (size_t row = 0; row < list_.GetItemCount(); ++row) texts.emplace_back(list_.ItemText(row, column));
    return texts;
  }

  void Select(std::initializer_list<size_t> rows) {
    for (const size_t row : rows) ASSERT_TRUE(list_.SetItemStates(row, kRowSelected));
  }

  ReportList list_{kDefault};
};

TEST_F(ReportListTest, ColumnsInsertedLaterShiftTextsAndColoursOfEveryRow) {
  constexpr CellColours kLater{0x0000FF, 0x00FF00};
  ReportList list(kLater);
  list.InsertColumn(0, u"b");
  ASSERT_EQ(list.InsertItem(5, u"first"), 0u);  // beyond the end appends
  EXPECT_EQ(list.InsertColumn(0, u"a"), 0u);
  EXPECT_EQ(list.InsertColumn(9, u"c"), 2u);
  EXPECT_EQ(list.ItemText(0, 0), u"");
  EXPECT_EQ(list.ItemText(0, 1), u"first");
  EXPECT_EQ(list.Heading(2), u"c");
  EXPECT_EQ(list.CellColoursAt(0, 2), kLater);
  EXPECT_FALSE(list.CellColoursAt(0, 3));
  EXPECT_FALSE(list.SetItemText(0, 3, u"x"));
  EXPECT_FALSE(list.SetItemText(1, 0, u"x"));

  ReportList bare(kLater);
  ASSERT_EQ(bare.InsertItem(0, u"kept"), 0u);
  bare.InsertColumn(0, u"first");
  bare.InsertColumn(0, u"before");
  EXPECT_EQ(bare.ItemText(0, 1), u"kept");
  EXPECT_EQ(bare.ItemText(0, 0), u"");
  EXPECT_EQ(bare.CellColoursAt(0, 1), kLater);
}

TEST_F(ReportListTest, InsertingBeforeARowMovesItsTextStateAndValueDown) {
  AddRows({u"a", u"b"});
  Select({1});
  ASSERT_TRUE(list_.SetItemData(1, uintptr_t{0xDEADBEEFCAFEull & UINTPTR_MAX}));
  ASSERT_EQ(list_.InsertItem(0, u"z"), 0u);
  EXPECT_EQ(Column(0), (std::vector<std::u16string>{u"z", u"a", u"b"}));
  EXPECT_EQ(list_.ItemText(2, 1), u"name of b");
  EXPECT_TRUE(list_.GetItemStates(2) & kRowSelected);
  EXPECT_EQ(list_.GetItemData(2), uintptr_t{0xDEADBEEFCAFEull & UINTPTR_MAX});
  EXPECT_FALSE(list_.SetItemData(3, 1));
  EXPECT_FALSE(list_.GetItemData(3));
}

TEST_F(ReportListTest, StatesHoldOneFlagOfEachPairAndFocusIsUnique) {
  AddRows({u"a", u"b", u"c"});
  EXPECT_EQ(list_.GetItemStates(0), kRowNotSelected | kRowNotChecked | kRowNotFocused);
  EXPECT_TRUE(list_.SetItemStates(0, kRowSelected | kRowChecked | kRowFocused));
  EXPECT_EQ(list_.GetItemStates(0), kRowSelected | kRowChecked | kRowFocused);
  EXPECT_TRUE(list_.SetItemStates(1, kRowFocused));
  EXPECT_EQ(list_.GetItemStates(0) & (kRowFocused | kRowNotFocused), kRowNotFocused);
  EXPECT_TRUE(list_.SetItemStates(0, kRowNotSelected | kRowNotChecked));
  EXPECT_EQ(list_.GetItemStates(0), kRowNotSelected | kRowNotChecked | kRowNotFocused);
  EXPECT_FALSE(list_.SetItemStates(0, 0));
  EXPECT_FALSE(list_.SetItemStates(0, kRowAll));
  EXPECT_FALSE(list_.SetItemStates(3, kRowSelected));
  EXPECT_EQ(list_.GetItemStates(3), 0u);
}

TEST_F(ReportListTest, CountsByFilter) {
  AddRows({u"a", u"b", u"c", u"d"});
  Select({0, 2, 3});
  list_.SetItemStates(2, kRowChecked);
  list_.SetItemStates(1, kRowChecked);
  EXPECT_EQ(list_.GetItemCount(kRowAll), 4u);
  EXPECT_EQ(list_.GetItemCount(kRowAll | kRowSelected), 4u);  // any odd filter
  EXPECT_EQ(list_.GetItemCount(0), 0u);
  EXPECT_EQ(list_.GetItemCount(kRowSelected), 3u);
  EXPECT_EQ(list_.GetItemCount(kRowNotSelected), 1u);
  EXPECT_EQ(list_.GetItemCount(kRowSelected | kRowChecked), 1u);
  EXPECT_EQ(list_.GetItemCount(kRowSelected | kRowNotSelected), 0u);
}

TEST_F(ReportListTest, DeleteItemsByStateDeletesExactlyTheMatchingRows) {
  AddRows({u"a", u"b", u"c", u"d", u"e"});
  Select({0, 1, 3});  // two neighbours: the walk stays on the index after a deletion
  EXPECT_EQ(list_.GetItemCount(kRowSelected), 3u);
  EXPECT_EQ(list_.DeleteItems(kRowSelected), 3u);
  EXPECT_EQ(Column(0), (std::vector<std::u16string>{u"c", u"e"}));
  EXPECT_EQ(list_.DeleteItems(kRowSelected), 0u);
  EXPECT_EQ(list_.DeleteItems(0), 0u);
  EXPECT_EQ(list_.GetItemCount(), 2u);
  EXPECT_EQ(list_.DeleteItems(kRowAll | kRowChecked), 2u);  // odd: every row
  EXPECT_EQ(list_.GetItemCount(), 0u);
}

TEST_F(ReportListTest, DeleteItemCanSelectTheRowAfterIt) {
  AddRows({u"a", u"b", u"c"});
  EXPECT_TRUE(list_.DeleteItem(0, true));
  EXPECT_EQ(Column(0), (std::vector<std::u16string>{u"b", u"c"}));
  EXPECT_TRUE(list_.GetItemStates(0) & kRowSelected);
  EXPECT_TRUE(list_.GetItemStates(1) & kRowNotSelected);
  EXPECT_TRUE(list_.DeleteItem(0, false));
  EXPECT_TRUE(list_.GetItemStates(0) & kRowNotSelected);
  EXPECT_TRUE(list_.DeleteItem(0, true));  // the last row: nothing after it to select
  EXPECT_FALSE(list_.DeleteItem(0, true));
}

TEST_F(ReportListTest, NumberShapedTextsSortByValue) {
  AddRows({u"10", u"9", u"100", u"-5", u"-50"});
  ASSERT_EQ(list_.SortByHeading(0), (ReportList::SortOrder{0, true}));
  EXPECT_EQ(Column(0), (std::vector<std::u16string>{u"-50", u"-5", u"9", u"10", u"100"}));
  EXPECT_EQ(list_.ItemText(0, 1), u"name of -50");  // the other columns move with their rows
}

TEST_F(ReportListTest, TheSameHeadingTwiceSortsDescendingAnotherOneAscending) {
  AddRows({u"12.5", u"12", u"1a", u"9"});
  EXPECT_EQ(list_.SortByHeading(0), (ReportList::SortOrder{0, true}));
  EXPECT_EQ(Column(0), (std::vector<std::u16string>{u"9", u"12", u"12.5", u"1a"}));
  EXPECT_EQ(list_.SortByHeading(0), (ReportList::SortOrder{0, false}));
  EXPECT_EQ(Column(0), (std::vector<std::u16string>{u"1a", u"12.5", u"12", u"9"}));
  EXPECT_EQ(list_.SortByHeading(0), (ReportList::SortOrder{0, true}));
  EXPECT_EQ(list_.SortByHeading(1), (ReportList::SortOrder{1, true}));
  EXPECT_EQ(list_.sort_order(), (ReportList::SortOrder{1, true}));
  EXPECT_FALSE(list_.SortByHeading(2));  // no such column: ignored
  EXPECT_EQ(list_.sort_order(), (ReportList::SortOrder{1, true}));
}

TEST_F(ReportListTest, AChangeOfRowsOrTextsMakesTheNextClickSortAscending) {
  AddRows({u"b", u"a"});
  list_.SortByHeading(0);
  ASSERT_TRUE(list_.InsertItem(0, u"c"));
  EXPECT_FALSE(list_.sort_order());
  EXPECT_EQ(list_.SortByHeading(0), (ReportList::SortOrder{0, true}));
  list_.SetItemText(0, 1, u"x");
  EXPECT_FALSE(list_.sort_order());
  EXPECT_EQ(list_.SortByHeading(0), (ReportList::SortOrder{0, true}));
  EXPECT_EQ(Column(0), (std::vector<std::u16string>{u"a", u"b", u"c"}));
}

TEST_F(ReportListTest, StatesAndValuesFollowTheirRowsThroughASort) {
  AddRows({u"600036.sh", u"000001.sz", u"600000.sh", u"000002.sz"});
  Select({0, 3});
  list_.SetItemStates(3, kRowFocused | kRowChecked);
  for (size_t row = 0; row < 4; ++row) list_.SetItemData(row, 100 + row);
  list_.SortByHeading(0);
  ASSERT_EQ(Column(0), (std::vector<std::u16string>{u"000001.sz", u"000002.sz", u"600000.sh", u"600036.sh"}));
  EXPECT_EQ(list_.GetItemStates(1), kRowSelected | kRowChecked | kRowFocused);
  EXPECT_EQ(list_.GetItemStates(3), kRowSelected | kRowNotChecked | kRowNotFocused);
  EXPECT_EQ(list_.GetItemCount(kRowSelected), 2u);
  EXPECT_EQ(list_.GetItemData(0), 101u);
  EXPECT_EQ(list_.GetItemData(3), 100u);
}

TEST_F(ReportListTest, ASortOfManyRowsOrdersThemAndKeepsEveryRowOnce) {
  std::mt19937 random(7);
  std::vector<std::u16string> codes;
  for (int n = 0; n < 3000; ++n) {
    const int value = static_cast<int>(random() % 2001) - 1000;  // many repeats
    const std::string text = std::to_string(value);
    codes.emplace_back(text.begin(), text.end());
  }
  AddRows(codes);
  list_.SortByHeading(0);
  std::vector<std::u16string> sorted = Column(0);
  EXPECT_TRUE(std::is_sorted(sorted.begin(), sorted.end(),
                             [](const std::u16string& a, const std::u16string& b) { return CompareReportTexts(a, b) < 0; }));
  std::sort(codes.begin(), codes.end());
  std::sort(sorted.begin(), sorted.end());
  EXPECT_EQ(sorted, codes);
  // Already sorted and all equal are the inputs a poor pivot would suffer most from.
  list_.SortByHeading(0);
  list_.SortByHeading(0);
  EXPECT_EQ(list_.GetItemCount(), 3000u);
}

TEST_F(ReportListTest, TextsWhoseOrderGoesInACircleStillSortToAPermutation) {
  // 9 < 12 by shape, 12 < 1a and 1a < 9 as texts: no total order exists.
  std::vector<std::u16string> codes;
  for (int n = 0; n < 300; ++n) codes.insert(codes.end(), {u"1a", u"12", u"9"});
  AddRows(codes);
  list_.SortByHeading(0);
  std::vector<std::u16string> sorted = Column(0);
  std::sort(codes.begin(), codes.end());
  std::sort(sorted.begin(), sorted.end());
  EXPECT_EQ(sorted, codes);
}

TEST_F(ReportListTest, FindsTheFirstRowBeginningWithATextWithoutCase) {
  AddRows({u"000001.sz", u"600000.SH", u"600000.sh"});
  EXPECT_EQ(list_.FindPartialText(u"600000.sh"), 1u);
  EXPECT_EQ(list_.FindPartialText(u"60000"), 1u);
  EXPECT_EQ(list_.FindPartialText(u"000001"), 0u);
  EXPECT_FALSE(list_.FindPartialText(u"600000.sh.x"));
  EXPECT_FALSE(list_.FindPartialText(u"00001"));
}

}  // namespace
}  // namespace orra
