#include "ui/report_text_order.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace orra {
namespace {

int Sign(int value) { return (value > 0) - (value < 0); }

TEST(ReportTextOrderTest, NumbersOrderByTheWidthOfTheirLeadingPartThenByDigits) {
  EXPECT_LT(CompareReportTexts(u"9", u"10"), 0);
  EXPECT_LT(CompareReportTexts(u"10", u"100"), 0);
  EXPECT_GT(CompareReportTexts(u"100", u"99"), 0);
  EXPECT_LT(CompareReportTexts(u"999", u"1,000"), 0);  // "," counts in the width
  EXPECT_LT(CompareReportTexts(u"5%", u"10%"), 0);
  EXPECT_EQ(CompareReportTexts(u"42", u"42"), 0);
}

TEST(ReportTextOrderTest, NegativeNumbersOrderBeforePositiveOnesAndByMagnitude) {
  EXPECT_LT(CompareReportTexts(u"-50", u"-5"), 0);
  EXPECT_LT(CompareReportTexts(u"-5", u"9"), 0);
  EXPECT_LT(CompareReportTexts(u"-5", u"50"), 0);
  EXPECT_LT(CompareReportTexts(u"-50", u"5"), 0);
  // Equal widths: the larger magnitude is the smaller number.
  EXPECT_LT(CompareReportTexts(u"-5", u"-3"), 0);
  EXPECT_LT(CompareReportTexts(u"-5.2", u"-5.1"), 0);
  EXPECT_LT(CompareReportTexts(u"-5.1", u"-5"), 0);
}

TEST(ReportTextOrderTest, AfterEqualLeadingPartsTheShorterTextComesFirst) {
  EXPECT_LT(CompareReportTexts(u"12", u"12.5"), 0);
  EXPECT_LT(CompareReportTexts(u"12.5", u"12.75"), 0);
  EXPECT_LT(CompareReportTexts(u"12.5", u"13"), 0);
}

TEST(ReportTextOrderTest, SecurityCodesOrderByDigitsThenBySuffix) {
  EXPECT_LT(CompareReportTexts(u"000001.sz", u"600000.sh"), 0);
  EXPECT_LT(CompareReportTexts(u"600000.sh", u"600000.sz"), 0);
  EXPECT_LT(CompareReportTexts(u"600000.sz", u"600036.sh"), 0);
  // The rest of a number compares by code unit, so case matters there.
  EXPECT_LT(CompareReportTexts(u"600000.SH", u"600000.sh"), 0);
}

TEST(ReportTextOrderTest, TextsNotShapedLikeNumbersCompareAsTextWithoutCase) {
  // As a number of width 2, 1a would order after 9.
  EXPECT_LT(CompareReportTexts(u"1a", u"9"), 0);
  EXPECT_LT(CompareReportTexts(u"12", u"1a"), 0);
  EXPECT_EQ(CompareReportTexts(u"ABC", u"abc"), 0);
  EXPECT_LT(CompareReportTexts(u"abc", u"ABD"), 0);
  EXPECT_LT(CompareReportTexts(u"ab", u"abc"), 0);
  EXPECT_LT(CompareReportTexts(u"", u"0"), 0);
  // A "-" counts only as the first character.
  EXPECT_LT(CompareReportTexts(u"1-2", u"9"), 0);
  // Letters beyond A-Z do not fold.
  EXPECT_NE(CompareReportTexts(u"\u00C4", u"\u00E4"), 0);
}

TEST(ReportTextOrderTest, OnlyTheFirst26CharactersFormTheLeadingPart) {
  const std::u16string digits26(26, u'1');
  // Beyond 26 characters a letter no longer stops the text from counting as a number.
  EXPECT_GT(CompareReportTexts(digits26 + u"x", u"9"), 0);
  // Within them it does: this one compares as text.
  EXPECT_LT(CompareReportTexts(std::u16string(25, u'1') + u"x", u"2"), 0);
}

TEST(ReportTextOrderTest, SwappingTheTextsReversesTheAnswer) {
  const std::vector<std::u16string> texts = {u"",    u"-",     u"-5",  u"-50",   u"-5.1", u"0",       u"9",
                                             u"10",  u"12",    u"12.5", u"1a",   u".5",   u"600000.sh", u"600000.SH",
                                             u"abc", u"ABC",   u"5%",  u"1,000", u"浦发银行"};
  for (const std::u16string& a : texts) {
    for (const std::u16string& b : texts) {
      EXPECT_EQ(Sign(CompareReportTexts(a, b)), -Sign(CompareReportTexts(b, a)));
    }
  }
}

}  // namespace
}  // namespace orra
