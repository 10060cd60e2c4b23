#include "addin/ribbon_images.h"

#include <gtest/gtest.h>

#include <string>

namespace orra {
namespace {

TEST(RibbonImages, ControlIdsAreComparedWhole) {
  EXPECT_EQ(IconForControl(u"id_private_product"), 1050);
  EXPECT_EQ(IconForControl(u"id_private_product_report"), 1048);
  EXPECT_EQ(IconForControl(u"id_private_drop"), 1054);
  EXPECT_EQ(IconForControl(u"id_private_drop_report"), 1052);
  EXPECT_EQ(IconForControl(u"id_private_manager"), 1056);
  EXPECT_EQ(IconForControl(u"id_private_manager_report"), 1058);
  EXPECT_EQ(IconForControl(u"id_help"), 1014);
  EXPECT_EQ(IconForControl(u"id_hel"), std::nullopt);
  EXPECT_EQ(IconForControl(u"id_helpx"), std::nullopt);
  EXPECT_EQ(IconForControl(u"ID_HELP"), std::nullopt) << "letter case counts";
  EXPECT_EQ(IconForControl(u""), std::nullopt);
}

TEST(RibbonImages, TheRibbonsOwnControls) {
  EXPECT_EQ(IconForControl(u"id_insert_function"), 1016);
  EXPECT_EQ(IconForControl(u"id_insert_stock"), 1033);
  EXPECT_EQ(IconForControl(u"id_data_refresh"), 1011);
  EXPECT_EQ(IconForControl(u"id_sheet_refresh"), std::nullopt);
  EXPECT_EQ(IconForControl(u"id_selected_refresh"), std::nullopt);
  EXPECT_EQ(IconForControl(u"id_all_refresh"), std::nullopt);
}

TEST(RibbonImages, ControlIdEndsAtItsFirstZero) {
  EXPECT_EQ(IconForControl(std::u16string(u"id_login\0tail", 13)), 1004);
  EXPECT_EQ(IconForControl(std::u16string(u"\0id_login", 9)), std::nullopt);
}

TEST(RibbonImages, ImageNamesMatchOverTheirLeadingBytes) {
  // Eight bytes of "时间序列报表" are its first four characters.
  EXPECT_EQ(IconForImageName(u"时间序列"), 1023);
  EXPECT_EQ(IconForImageName(u"时间序列报表"), 1023);
  EXPECT_EQ(IconForImageName(u"时间序"), std::nullopt);
  // "截面报表" is eight bytes compared over eight: anything that begins with it.
  EXPECT_EQ(IconForImageName(u"截面报表"), 1018);
  EXPECT_EQ(IconForImageName(u"截面报表之二"), 1018);
  // Seven bytes: three characters and the lead byte of the fourth.
  EXPECT_EQ(IconForImageName(u"个股报表向导"), 1020);
  EXPECT_EQ(IconForImageName(u"个股报表"), 1020);
  EXPECT_EQ(IconForImageName(u"个股报"), std::nullopt);
  EXPECT_EQ(IconForImageName(u"行业报表向导"), 1025);
  EXPECT_EQ(IconForImageName(u"插入代码"), 1033);
  EXPECT_EQ(IconForImageName(u"帮助文档"), 1014);
  EXPECT_EQ(IconForImageName(u"函数插入"), 1016);
}

TEST(RibbonImages, ACountPastTheNameTakesItsTerminator) {
  EXPECT_EQ(IconForImageName(u"登录"), 1005);
  EXPECT_EQ(IconForImageName(u"登录后"), std::nullopt);
  EXPECT_EQ(IconForImageName(std::u16string(u"登录\0后", 4)), 1005) << "the text ends at its zero";
  EXPECT_EQ(IconForImageName(u"登"), std::nullopt);
}

TEST(RibbonImages, NamesNoEntryBeginsWithGetNothing) {
  EXPECT_EQ(IconForImageName(u""), std::nullopt);
  EXPECT_EQ(IconForImageName(u"id_help"), std::nullopt);
  EXPECT_EQ(IconForImageName(u"截"), std::nullopt) << "shorter than the bytes compared";
  // A character GBK cannot write is no name of the table.
  EXPECT_EQ(IconForImageName(u"\U0001F600"), std::nullopt);
}

TEST(RibbonImages, TheResourceListHoldsEveryAnswerOnce) {
  const std::vector<IconNumber> numbers = RibbonIconNumbers();
  EXPECT_EQ(numbers.size(), 26u);
  EXPECT_TRUE(std::is_sorted(numbers.begin(), numbers.end()));
  EXPECT_EQ(std::adjacent_find(numbers.begin(), numbers.end()), numbers.end());
  for (const IconNumber n : {1004, 1005, 1011, 1014, 1016, 1033, 1058}) {
    EXPECT_TRUE(std::binary_search(numbers.begin(), numbers.end(), n)) << n;
  }
}

}  // namespace
}  // namespace orra
