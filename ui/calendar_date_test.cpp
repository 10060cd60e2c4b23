#include "ui/calendar_date.h"

#include <gtest/gtest.h>

namespace orra {
namespace {

TEST(ReadDefaultDateTest, ReadsTheWrittenForms) {
  EXPECT_EQ(ReadDefaultDate("20170220"), (CalendarDate{2017, 2, 20}));
  EXPECT_EQ(ReadDefaultDate("2017-2-20"), (CalendarDate{2017, 2, 20}));
  EXPECT_EQ(ReadDefaultDate("2017/02/20"), (CalendarDate{2017, 2, 20}));
  EXPECT_EQ(ReadDefaultDate("2017-02-20 15:30"), (CalendarDate{2017, 2, 20}));
  EXPECT_EQ(ReadDefaultDate("20170220 9:05:59"), (CalendarDate{2017, 2, 20}));
}

TEST(ReadDefaultDateTest, AShortFirstNumberIsTheDay) {
  EXPECT_EQ(ReadDefaultDate("20/02/2017"), (CalendarDate{2017, 2, 20}));
  EXPECT_EQ(ReadDefaultDate("5-12-2017"), (CalendarDate{2017, 12, 5}));
  EXPECT_EQ(ReadDefaultDate("020-1-2017"), (CalendarDate{2017, 1, 20}));
  // Read the other way round, 2017 would be a day.
  EXPECT_EQ(ReadDefaultDate("12/03/2017"), (CalendarDate{2017, 3, 12}));
}

TEST(ReadDefaultDateTest, RelativeCodesAndDaysThatDoNotExistGiveNone) {
  for (const char* text : {"", "-1010", "-1", "0", "1d", "today", "2017022", "201702201", "2017-02", "2017-02-20-1",
                           "2017-02/20", "2017.02.20", "20170230", "20170229", "2017-13-01", "2017-00-10", "0/1/2017",
                           "20170220x", "20170220 ", "20170220 25:00", "20170220 10:60", "2017-02-20 10", "15000101",
                           "99999-1-1", " 20170220"}) {
    EXPECT_EQ(ReadDefaultDate(text), std::nullopt) << text;
  }
  EXPECT_EQ(ReadDefaultDate("20160229"), (CalendarDate{2016, 2, 29}));
  EXPECT_EQ(ReadDefaultDate("2000-02-29"), (CalendarDate{2000, 2, 29}));
  EXPECT_EQ(ReadDefaultDate("1900-02-29"), std::nullopt);
}

TEST(FormatYyyymmddTest, PadsEveryPart) {
  EXPECT_EQ(FormatYyyymmdd({2017, 2, 5}), u"20170205");
  EXPECT_EQ(FormatYyyymmdd({1601, 12, 31}), u"16011231");
}

}  // namespace
}  // namespace orra
