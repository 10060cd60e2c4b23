#include "ui/autocomplete_list.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>

namespace orra {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

constexpr ScreenRect kParent{100, 100, 500, 400};

// Names that outlive the views the list keeps of them.
class AutocompleteListTest : public ::testing::Test {
 protected:
  void ShowMatches(std::size_t count) {
    names_.clear();
    for (std::size_t i = 0; i < count; ++i) names_.push_back(u"指标" + std::u16string(1, char16_t(u'A' + i)));
    std::vector<AutocompleteMatch> matches;
    for (std::size_t i = 0; i < count; ++i) matches.push_back({names_[i], i});
    list_.Show(std::move(matches), kParent);
  }
  std::vector<std::u16string> names_;
  AutocompleteList list_;
};

TEST_F(AutocompleteListTest, SixRowsAndAScrollBarFromSevenMatches) {
  ShowMatches(3);
  EXPECT_TRUE(list_.shown());
  EXPECT_EQ(list_.VisibleRows(), 3u);
  EXPECT_FALSE(list_.ScrollBarShown());
  ShowMatches(6);
  EXPECT_EQ(list_.VisibleRows(), 6u);
  EXPECT_FALSE(list_.ScrollBarShown());
  ShowMatches(7);
  EXPECT_EQ(list_.VisibleRows(), 6u);
  EXPECT_TRUE(list_.ScrollBarShown());
  EXPECT_EQ(list_.LastTop(), 1u);
  ShowMatches(0);
  EXPECT_FALSE(list_.shown());
}

TEST_F(AutocompleteListTest, DownSevenTimesFromTheTopScrollsOneRow) {
  ShowMatches(10);
  for (int i = 0; i < 6; ++i) EXPECT_THAT(list_.Move(ListKey::kDown), IsEmpty());
  EXPECT_EQ(list_.highlight(), 5u);
  EXPECT_EQ(list_.top(), 0u);
  EXPECT_THAT(list_.Move(ListKey::kDown), ElementsAre(1u));
  EXPECT_EQ(list_.highlight(), 6u);
  EXPECT_EQ(list_.top(), 1u);
}

TEST_F(AutocompleteListTest, UpAndDownWrapAndGlideRowByRow) {
  ShowMatches(10);
  EXPECT_THAT(list_.Move(ListKey::kUp), ElementsAre(1u, 2u, 3u, 4u));
  EXPECT_EQ(list_.highlight(), 9u);
  EXPECT_THAT(list_.Move(ListKey::kDown), ElementsAre(3u, 2u, 1u, 0u));
  EXPECT_EQ(list_.highlight(), 0u);
  EXPECT_THAT(list_.Move(ListKey::kUp), ElementsAre(1u, 2u, 3u, 4u));
  EXPECT_THAT(list_.Move(ListKey::kUp), IsEmpty());
  EXPECT_EQ(list_.highlight(), 8u);
}

TEST_F(AutocompleteListTest, PagesStopAtTheEnds) {
  ShowMatches(10);
  list_.Move(ListKey::kPageDown);
  EXPECT_EQ(list_.highlight(), 5u);
  list_.Move(ListKey::kPageDown);
  EXPECT_EQ(list_.highlight(), 9u);
  EXPECT_EQ(list_.top(), 4u);
  list_.Move(ListKey::kPageUp);
  EXPECT_EQ(list_.highlight(), 3u);
  EXPECT_EQ(list_.top(), 3u);
  list_.Move(ListKey::kPageUp);
  EXPECT_EQ(list_.highlight(), 0u);
  EXPECT_EQ(list_.top(), 0u);
  list_.Move(ListKey::kEnd);
  EXPECT_EQ(list_.highlight(), 9u);
  list_.Move(ListKey::kHome);
  EXPECT_EQ(list_.highlight(), 0u);
  EXPECT_EQ(list_.top(), 0u);
}

TEST_F(AutocompleteListTest, HiddenListIgnoresKeysAndForgetsItsHighlight) {
  ShowMatches(3);
  list_.Move(ListKey::kDown);
  list_.Hide();
  EXPECT_FALSE(list_.highlight());
  EXPECT_THAT(list_.Move(ListKey::kDown), IsEmpty());
  EXPECT_FALSE(list_.highlight());
}

TEST_F(AutocompleteListTest, ANewSearchStartsAtTheTopWithNothingHighlighted) {
  ShowMatches(20);
  list_.Move(ListKey::kEnd);
  ShowMatches(12);
  EXPECT_EQ(list_.top(), 0u);
  EXPECT_FALSE(list_.highlight());
}

TEST_F(AutocompleteListTest, PointerHighlightsOnlyRowsThatHoldAnEntry) {
  ShowMatches(8);
  list_.Scroll(ScrollAction::kBottom);
  EXPECT_EQ(list_.EntryAtRow(0), 2u);
  EXPECT_EQ(list_.EntryAtRow(5), 7u);
  EXPECT_FALSE(list_.EntryAtRow(6));
  EXPECT_TRUE(list_.HoverRow(1));
  EXPECT_EQ(list_.highlight(), 3u);
  EXPECT_FALSE(list_.HoverRow(1));
  EXPECT_FALSE(list_.HoverRow(6));
  EXPECT_EQ(list_.highlight(), 3u);
  ShowMatches(2);
  EXPECT_FALSE(list_.HoverRow(2));
}

TEST_F(AutocompleteListTest, ScrollBarKeepsTheTopWithinRange) {
  ShowMatches(20);
  EXPECT_FALSE(list_.Scroll(ScrollAction::kLineUp));
  EXPECT_TRUE(list_.Scroll(ScrollAction::kLineDown));
  EXPECT_EQ(list_.top(), 1u);
  list_.Scroll(ScrollAction::kPageDown);
  EXPECT_EQ(list_.top(), 7u);
  list_.Scroll(ScrollAction::kPageDown);
  list_.Scroll(ScrollAction::kPageDown);
  EXPECT_EQ(list_.top(), 14u);
  EXPECT_FALSE(list_.Scroll(ScrollAction::kLineDown));
  list_.Scroll(ScrollAction::kPageUp);
  EXPECT_EQ(list_.top(), 8u);
  list_.Scroll(ScrollAction::kThumb, 1000);
  EXPECT_EQ(list_.top(), 14u);
  list_.Scroll(ScrollAction::kThumb, 3);
  EXPECT_EQ(list_.top(), 3u);
  list_.Scroll(ScrollAction::kTop);
  EXPECT_EQ(list_.top(), 0u);
  ShowMatches(4);
  EXPECT_FALSE(list_.Scroll(ScrollAction::kPageDown));
  EXPECT_FALSE(list_.Scroll(ScrollAction::kThumb, 2));
  EXPECT_EQ(list_.top(), 0u);
}

TEST_F(AutocompleteListTest, HidesWhenTheParentWindowMovedOrResized) {
  ShowMatches(3);
  EXPECT_FALSE(list_.HideIfParentMoved(kParent));
  EXPECT_TRUE(list_.shown());
  EXPECT_TRUE(list_.HideIfParentMoved({100, 100, 500, 401}));
  EXPECT_FALSE(list_.shown());
  EXPECT_FALSE(list_.HideIfParentMoved({0, 0, 1, 1}));
}

}  // namespace
}  // namespace orra
