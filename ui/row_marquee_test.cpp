#include "ui/row_marquee.h"

#include <gtest/gtest.h>

#include <string>

#include "ui/autocomplete_list.h"

namespace orra {
namespace {

// Every code unit 10 px wide, as a fixed-pitch font would draw it.
int TenPixelsEach(std::u16string_view text) { return static_cast<int>(text.size()) * 10; }

TEST(RowMarqueeTest, AdvancesUntilTheRestFitsTheRowLessTheMargin) {
  RowMarquee marquee;
  marquee.Restart(0);
  const std::u16string text = u"一二三四五六七八九十";  // 100 px
  int advances = 0;
  for (int tick = 0; tick < 20; ++tick) advances += marquee.Tick(0, text, 60, TenPixelsEach) ? 1 : 0;
  // The rest fits 60 - 10 px once five characters are left.
  EXPECT_EQ(advances, 5);
  EXPECT_EQ(marquee.OffsetFor(0), 5u);
  EXPECT_EQ(marquee.OffsetFor(1), 0u);
}

TEST(RowMarqueeTest, ATextThatFitsItsRowStaysPut) {
  RowMarquee marquee;
  marquee.Restart(2);
  EXPECT_FALSE(marquee.Tick(2, u"一二三四五六", 60, TenPixelsEach));
  EXPECT_FALSE(marquee.Tick(2, u"一二三四五六", 60, TenPixelsEach));
  EXPECT_EQ(marquee.OffsetFor(2), 0u);
}

TEST(RowMarqueeTest, AnotherHighlightStartsOverFromTheFirstCharacter) {
  RowMarquee marquee;
  marquee.Restart(0);
  const std::u16string text = u"一二三四五六七八九十";
  marquee.Tick(0, text, 60, TenPixelsEach);
  marquee.Tick(0, text, 60, TenPixelsEach);
  EXPECT_EQ(marquee.OffsetFor(0), 2u);
  // The tick that finds a new entry highlighted only starts over; the next one advances.
  EXPECT_FALSE(marquee.Tick(1, text, 60, TenPixelsEach));
  EXPECT_EQ(marquee.OffsetFor(1), 0u);
  EXPECT_TRUE(marquee.Tick(1, text, 60, TenPixelsEach));
  EXPECT_EQ(marquee.OffsetFor(1), 1u);
  EXPECT_FALSE(marquee.Tick(std::nullopt, text, 60, TenPixelsEach));
  EXPECT_FALSE(marquee.Tick(std::nullopt, text, 60, TenPixelsEach));
}

TEST(RowMarqueeTest, StepsOverACharacterOutsideTheBasicPlaneWhole) {
  RowMarquee marquee;
  marquee.Restart(0);
  const std::u16string text = u"\U00020000二三四五六七八九十";
  EXPECT_TRUE(marquee.Tick(0, text, 60, TenPixelsEach));
  EXPECT_EQ(marquee.OffsetFor(0), 2u);
}

TEST(RowMarqueeTest, TheListRestartsItWhenTheHighlightMoves) {
  const std::u16string long_name = u"一二三四五六七八九十", other = u"一二";
  AutocompleteList list;
  list.Show({{long_name, 0}, {other, 1}}, {});
  list.Move(ListKey::kDown);
  EXPECT_TRUE(list.TickMarquee(60, TenPixelsEach));
  EXPECT_EQ(list.MarqueeOffset(0), 1u);
  list.Move(ListKey::kDown);
  list.Move(ListKey::kDown);
  EXPECT_EQ(list.MarqueeOffset(0), 0u);
  EXPECT_TRUE(list.TickMarquee(60, TenPixelsEach));
  list.Hide();
  EXPECT_FALSE(list.TickMarquee(60, TenPixelsEach));
}

}  // namespace
}  // namespace orra
