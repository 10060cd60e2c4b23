#include "xll/date_text.h"

#include <gtest/gtest.h>

#include <limits>
#include <string>

#include "common/text_conversion.h"

namespace orra {
namespace {

TEST(SerialDayFromYmd, MatchesTheSpreadsheetFromMarch1900) {
  EXPECT_EQ(SerialDayFromYmd(20200101), 43831);
  EXPECT_EQ(SerialDayFromYmd(19000301), 61);
  EXPECT_EQ(SerialDayFromYmd(20000229), 36585);  // 2000 is a leap year
  EXPECT_EQ(SerialDayFromYmd(21000301) - SerialDayFromYmd(21000228), 1);  // 2100 is not
  EXPECT_EQ(SerialDayFromYmd(99991231), 2958465);
}

TEST(SerialDayFromYmd, CountsFromTheFirstOf1900AndNothingBefore) {
  EXPECT_EQ(SerialDayFromYmd(19000101), 2);
  EXPECT_EQ(SerialDayFromYmd(19000228), 60);  // no 29 February 1900 in the count
  EXPECT_EQ(SerialDayFromYmd(18991231), 2);
  EXPECT_EQ(SerialDayFromYmd(0), 2);
  EXPECT_EQ(SerialDayFromYmd(5), 2);
  EXPECT_EQ(SerialDayFromYmd(-20200101), 2);
}

TEST(SerialDayFromYmd, FieldsBeyondTheCalendarRollOver) {
  EXPECT_EQ(SerialDayFromYmd(20200230), SerialDayFromYmd(20200301));
  EXPECT_EQ(SerialDayFromYmd(20201301), SerialDayFromYmd(20210101));
  EXPECT_EQ(SerialDayFromYmd(20200100), SerialDayFromYmd(20191231));
  EXPECT_EQ(SerialDayFromYmd(20200001), SerialDayFromYmd(20191201));
  EXPECT_GT(SerialDayFromYmd(std::numeric_limits<int32_t>::max()), SerialDayFromYmd(99991231));
}

DateTimeParts Parts(int32_t y, int32_t mo, int32_t d, int32_t h = 0, int32_t mi = 0, int32_t s = 0) {
  return DateTimeParts{y, mo, d, h, mi, s};
}

TEST(ReadDateTimeText, DateForms) {
  EXPECT_EQ(ReadDateTimeText(u"2020-01-02"), Parts(2020, 1, 2));
  EXPECT_EQ(ReadDateTimeText(u"2020/1/2"), Parts(2020, 1, 2));
  EXPECT_EQ(ReadDateTimeText(u"2/1/2020"), Parts(2020, 1, 2));
  EXPECT_EQ(ReadDateTimeText(u"002-1-2020"), Parts(2020, 1, 2));  // three characters: still day first
  EXPECT_EQ(ReadDateTimeText(u"20200102"), Parts(2020, 1, 2));
  EXPECT_EQ(ReadDateTimeText(u"2020-1"), Parts(2020, 1, 0));
  // A dash wins over a slash wherever it stands.
  EXPECT_EQ(ReadDateTimeText(u"2020/1-2"), Parts(2020, 2, 0));
}

TEST(ReadDateTimeText, TimeForms) {
  EXPECT_EQ(ReadDateTimeText(u"2020-1-2 10:30:15"), Parts(2020, 1, 2, 10, 30, 15));
  EXPECT_EQ(ReadDateTimeText(u"2020-1-2 10:30"), Parts(2020, 1, 2, 10, 30, 0));
  EXPECT_EQ(ReadDateTimeText(u"20200102 103000"), Parts(2020, 1, 2, 10, 30, 0));
  EXPECT_EQ(ReadDateTimeText(u"2017-2-20 9:5:7.500"), Parts(2017, 2, 20, 9, 5, 7));
  EXPECT_EQ(ReadDateTimeText(u"2020-1-2 "), Parts(2020, 1, 2));
}

TEST(ReadDateTimeText, OnlyTheFirstNineteenCharactersCount) {
  EXPECT_EQ(ReadDateTimeText(u"2020-01-02 10:30:45"), Parts(2020, 1, 2, 10, 30, 45));
  EXPECT_EQ(ReadDateTimeText(u"2020-01-02 10:30:4599"), Parts(2020, 1, 2, 10, 30, 45));
  EXPECT_EQ(ReadDateTimeText(u"2020-01-02         12:00"), Parts(2020, 1, 2));
}

TEST(ReadDateTimeText, NumbersReadAsStrtolReadsThem) {
  EXPECT_EQ(ReadDateTimeText(u""), Parts(0, 0, 0));
  EXPECT_EQ(ReadDateTimeText(u"abc"), Parts(0, 0, 0));
  EXPECT_EQ(ReadDateTimeText(u"2020-\t+7-x"), Parts(2020, 7, 0));
  EXPECT_EQ(ReadDateTimeText(u"2020-01-02 -1:-2:-3"), Parts(2020, 1, 2, -1, -2, -3));
  // Beyond 32 bits a number is clamped, as strtol clamps to its range.
  EXPECT_EQ(ReadDateTimeText(u"9999999999999999999"), Parts(214748, 36, 47));
  EXPECT_EQ(ReadDateTimeText(u"1-1-1 -99999999999").hour, std::numeric_limits<int32_t>::min() / 10000);
}

DateTextClass Classify(std::u16string_view text) { return ClassifyDateText(ToNarrowString(text)); }

TEST(ClassifyDateText, TheWholeTextMustMatchAPattern) {
  EXPECT_EQ(Classify(u"2020-1-2"), DateTextClass::kDash);
  EXPECT_EQ(Classify(u"2020-01-02"), DateTextClass::kDash);
  EXPECT_EQ(Classify(u"20200102"), DateTextClass::kDigits);
  EXPECT_EQ(Classify(u"202012"), DateTextClass::kDigits);
  EXPECT_EQ(Classify(u"2020年1月2日"), DateTextClass::kChinese);
  EXPECT_EQ(Classify(u"2020年12月31日"), DateTextClass::kChinese);
  EXPECT_EQ(Classify(u"2020/01/02"), DateTextClass::kSlash);
  EXPECT_EQ(Classify(u"2020-01-02 10:00"), DateTextClass::kNone);
  EXPECT_EQ(Classify(u" 2020-01-02"), DateTextClass::kNone);
  EXPECT_EQ(Classify(u"2020-001-2"), DateTextClass::kNone);
  EXPECT_EQ(Classify(u"20201"), DateTextClass::kNone);
  EXPECT_EQ(Classify(u"202001020"), DateTextClass::kNone);
  EXPECT_EQ(Classify(u"2/1/2020"), DateTextClass::kNone);
  EXPECT_EQ(Classify(u""), DateTextClass::kNone);
}

TEST(ClassifyDateText, DigitsAreAsciiAndTheCharactersAreGbk) {
  EXPECT_EQ(Classify(u"２０２０-1-2"), DateTextClass::kNone);  // full-width digits
  EXPECT_EQ(ClassifyDateText("2020\xE5\xB9\xB4" "1\xE6\x9C\x88" "2\xE6\x97\xA5"), DateTextClass::kNone);  // UTF-8
  EXPECT_EQ(Classify(u"2020年1月2号"), DateTextClass::kNone);
  EXPECT_EQ(ClassifyDateText(std::string(100000, '1')), DateTextClass::kNone);
  EXPECT_EQ(ClassifyDateText(std::string("2020-1-2\0", 9)), DateTextClass::kNone);
}

}  // namespace
}  // namespace orra
