#include "ui/autocomplete_edit.h"

#include <gtest/gtest.h>

#include <string>

namespace orra {
namespace {

constexpr ScreenRect kParent{0, 0, 400, 300};

class AutocompleteEditTest : public ::testing::Test {
 protected:
  AutocompleteEditTest() {
    edit_.AddCandidate(u"收盘价", 10);
    edit_.AddCandidate(u"开盘价", 11);
    edit_.AddCandidate(u"最高价", 12);
  }
  AutocompleteEdit edit_;
};

TEST_F(AutocompleteEditTest, TypingShowsTheMatchesAndClearingHidesThem) {
  edit_.OnTextChanged(u"盘价", kParent);
  ASSERT_TRUE(edit_.list().shown());
  EXPECT_EQ(edit_.list().matches().size(), 2u);
  edit_.OnTextChanged(u"最低", kParent);
  EXPECT_FALSE(edit_.list().shown());
  edit_.OnTextChanged(u"价", kParent);
  EXPECT_EQ(edit_.list().VisibleRows(), 3u);
  edit_.OnTextChanged(u"", kParent);
  EXPECT_FALSE(edit_.list().shown());
}

TEST_F(AutocompleteEditTest, NoCandidatesNeverShowTheList) {
  AutocompleteEdit empty;
  empty.OnTextChanged(u"价", kParent);
  EXPECT_FALSE(empty.list().shown());
  EXPECT_FALSE(empty.OnKey(EditKey::kDown).consumed);
  EXPECT_FALSE(empty.OnKey(EditKey::kEnter).consumed);
}

TEST_F(AutocompleteEditTest, EnterWithNothingHighlightedAcceptsTheFirst) {
  edit_.OnTextChanged(u"盘价", kParent);
  const KeyOutcome outcome = edit_.OnKey(EditKey::kEnter);
  EXPECT_TRUE(outcome.consumed);
  ASSERT_TRUE(outcome.accepted);
  EXPECT_EQ(outcome.accepted->text, u"开盘价");
  EXPECT_EQ(outcome.accepted->value, 11u);
  EXPECT_EQ(edit_.text(), u"开盘价");
  EXPECT_FALSE(edit_.list().shown());
  // The edit reports the text it was given; that echo must not open the list again.
  edit_.OnTextChanged(u"开盘价", kParent);
  EXPECT_FALSE(edit_.list().shown());
  // With the list hidden, Enter is the dialog's.
  EXPECT_FALSE(edit_.OnKey(EditKey::kEnter).consumed);
}

TEST_F(AutocompleteEditTest, MovingTheHighlightLeavesTheTextAndPlacesTheCaret) {
  edit_.OnTextChanged(u"价", kParent);
  const KeyOutcome up = edit_.OnKey(EditKey::kUp);
  EXPECT_TRUE(up.consumed);
  EXPECT_FALSE(up.accepted);
  EXPECT_EQ(edit_.list().highlight(), 2u);
  EXPECT_EQ(up.caret, 3u);
  EXPECT_EQ(edit_.text(), u"价");
  const KeyOutcome enter = edit_.OnKey(EditKey::kEnter);
  ASSERT_TRUE(enter.accepted);
  EXPECT_EQ(enter.accepted->text, u"最高价");
  EXPECT_EQ(enter.accepted->value, 12u);
}

TEST_F(AutocompleteEditTest, EscapeHidesTheListAndOnlyThenReachesTheDialog) {
  edit_.OnTextChanged(u"价", kParent);
  edit_.OnKey(EditKey::kDown);
  const KeyOutcome first = edit_.OnKey(EditKey::kEscape);
  EXPECT_TRUE(first.consumed);
  EXPECT_FALSE(first.accepted);
  EXPECT_FALSE(edit_.list().shown());
  EXPECT_EQ(edit_.text(), u"价");
  EXPECT_FALSE(edit_.OnKey(EditKey::kEscape).consumed);
  EXPECT_FALSE(edit_.OnKey(EditKey::kDown).consumed);
}

TEST_F(AutocompleteEditTest, AClickAcceptsTheRowUnderThePointer) {
  for (int i = 0; i < 8; ++i) edit_.AddCandidate(u"价" + std::u16string(1, char16_t(u'0' + i)), 20 + i);
  edit_.OnTextChanged(u"价", kParent);
  edit_.list().Scroll(ScrollAction::kBottom);
  EXPECT_FALSE(edit_.OnRowClicked(6));
  const std::optional<Acceptance> accepted = edit_.OnRowClicked(5);
  ASSERT_TRUE(accepted);
  EXPECT_EQ(accepted->text, u"最高价");
  EXPECT_FALSE(edit_.list().shown());
  EXPECT_FALSE(edit_.OnRowClicked(0));
}

TEST_F(AutocompleteEditTest, HintComesAndGoesWithTheFocus) {
  EXPECT_EQ(edit_.SetHint(true, false), std::u16string(kIndicatorSearchHint));
  // The hint in the box searches nothing.
  edit_.OnTextChanged(kIndicatorSearchHint, kParent);
  EXPECT_FALSE(edit_.list().shown());
  EXPECT_EQ(edit_.OnFocusIn(), u"");
  edit_.OnTextChanged(u"", kParent);
  EXPECT_EQ(edit_.OnFocusOut(), std::u16string(kIndicatorSearchHint));
  EXPECT_EQ(edit_.OnFocusIn(), u"");
  edit_.OnTextChanged(u"价", kParent);
  EXPECT_TRUE(edit_.list().shown());
  EXPECT_FALSE(edit_.OnFocusOut());
  EXPECT_FALSE(edit_.list().shown());
  EXPECT_FALSE(edit_.OnFocusIn());
}

TEST_F(AutocompleteEditTest, WithoutTheHintFlagFocusLeavesTheTextAlone) {
  EXPECT_FALSE(edit_.SetHint(false, false));
  EXPECT_FALSE(edit_.OnFocusOut());
  EXPECT_FALSE(edit_.SetHint(true, true));
  edit_.OnTextChanged(kIndicatorSearchHint, kParent);
  edit_.SetHint(false, true);
  EXPECT_FALSE(edit_.OnFocusIn());
}

}  // namespace
}  // namespace orra
