#include "ui/autocomplete_candidates.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace orra {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

std::vector<std::u16string> Names(const std::vector<AutocompleteMatch>& matches) {
  std::vector<std::u16string> names;
  for (const AutocompleteMatch& match : matches) names.emplace_back(match.name);
  return names;
}

AutocompleteCandidates Prices() {
  AutocompleteCandidates candidates;
  candidates.Add(u"收盘价", 1);
  candidates.Add(u"开盘价", 2);
  candidates.Add(u"最高价", 3);
  return candidates;
}

TEST(AutocompleteCandidatesTest, MatchesAnywhereInTheNameInCodeUnitOrder) {
  const AutocompleteCandidates candidates = Prices();
  // U+5F00 开 sorts before U+6536 收, which sorts before U+6700 最.
  EXPECT_THAT(Names(candidates.Match(u"盘价")), ElementsAre(u"开盘价", u"收盘价"));
  EXPECT_THAT(Names(candidates.Match(u"价")), ElementsAre(u"开盘价", u"收盘价", u"最高价"));
  EXPECT_THAT(Names(candidates.Match(u"最高价")), ElementsAre(u"最高价"));
  EXPECT_THAT(candidates.Match(u"最低价"), IsEmpty());
  EXPECT_THAT(candidates.Match(u"收盘价格"), IsEmpty());
}

TEST(AutocompleteCandidatesTest, EmptyTextMatchesNothing) {
  EXPECT_THAT(Prices().Match(u""), IsEmpty());
  EXPECT_THAT(AutocompleteCandidates().Match(u"价"), IsEmpty());
}

TEST(AutocompleteCandidatesTest, MatchingIsCaseSensitive) {
  AutocompleteCandidates candidates;
  candidates.Add(u"ROE(摊薄)", 7);
  EXPECT_THAT(candidates.Match(u"roe"), IsEmpty());
  EXPECT_THAT(Names(candidates.Match(u"OE")), ElementsAre(u"ROE(摊薄)"));
}

TEST(AutocompleteCandidatesTest, AnExistingNameKeepsItsValue) {
  AutocompleteCandidates candidates = Prices();
  EXPECT_FALSE(candidates.Add(u"收盘价", 99));
  EXPECT_EQ(candidates.size(), 3u);
  EXPECT_THAT(candidates.Match(u"收盘"), ElementsAre(AutocompleteMatch{u"收盘价", 1}));
}

TEST(AutocompleteCandidatesTest, DisplayOrderFoldsCapitalsToSmallLetters) {
  AutocompleteCandidates candidates;
  for (const char16_t* name : {u"Zt", u"at", u"_t", u"bt", u"xa", u"xA"}) candidates.Add(name, 0);
  // '_' (0x5F) lies between 'Z' and 'a': folding A-Z down puts Zt after bt, folding a-z up
  // would have put _t last. Names equal once folded keep code-unit order.
  EXPECT_THAT(Names(candidates.Match(u"t")), ElementsAre(u"_t", u"at", u"bt", u"Zt"));
  EXPECT_THAT(Names(candidates.Match(u"x")), ElementsAre(u"xA", u"xa"));
  EXPECT_TRUE(DisplaysBefore(u"ab", u"abc"));
  EXPECT_FALSE(DisplaysBefore(u"abc", u"ABC"));
  EXPECT_TRUE(DisplaysBefore(u"ABC", u"abc"));
}

}  // namespace
}  // namespace orra
