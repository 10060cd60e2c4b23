#include "store/relative_date.h"

#include <gtest/gtest.h>

namespace orra {
namespace {

LocalDateTime Day(int year, int month, int day, int hour = 9) {
  LocalDateTime now;
  now.year = year;
  now.month = month;
  now.day = day;
  now.hour = hour;
  return now;
}

TEST(RelativeDateTest, CodesMoveTheDayOfLoadingAcrossMonthsAndYears) {
  const LocalDateTime today = Day(2024, 3, 5);
  EXPECT_EQ(ResolveRelativeDate(u"-1010", today), u"20240224");  // a leap year's February
  EXPECT_EQ(ResolveRelativeDate(u"-1002", today), u"20240303");
  EXPECT_EQ(ResolveRelativeDate(u"-1005", today), u"20240229");
  EXPECT_EQ(ResolveRelativeDate(u"-1015", today), u"20240219");
  EXPECT_EQ(ResolveRelativeDate(u"-11", today), u"20240204");
  EXPECT_EQ(ResolveRelativeDate(u"-12", today), u"20240105");
  EXPECT_EQ(ResolveRelativeDate(u"-13", today), u"20231206");
  EXPECT_EQ(ResolveRelativeDate(u"-112", today), u"20230311");
  EXPECT_EQ(ResolveRelativeDate(u"11", Day(2023, 12, 15, 23)), u"20240114");
}

TEST(RelativeDateTest, TodayCodesAndLiteralsAndUnknownTexts) {
  const LocalDateTime today = Day(2024, 1, 9, 0);
  for (const char16_t* code : {u"", u"-1", u"-2", u"-3"}) EXPECT_EQ(ResolveRelativeDate(code, today), u"20240109");
  EXPECT_EQ(ResolveRelativeDate(u"20200101", today), u"20200101");
  EXPECT_EQ(ResolveRelativeDate(u"-4", today), u"-4");
  EXPECT_EQ(ResolveRelativeDate(u" -1", today), u" -1");
}

}  // namespace
}  // namespace orra
