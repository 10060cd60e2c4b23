#include "addin/ribbon_xml.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "common/utf8.h"

namespace orra {
namespace {

// The text Excel has always been given, written out by hand.
constexpr char16_t kExpected[] =
    u"<customUI xmlns=\"http://schemas.microsoft.com/office/2006/01/customui\" onLoad=\"ribbonLoaded\" "
    u"loadImage=\"OnGetImage\">"
    u"\t<ribbon>"
    u"\t\t<tabs>"
    u"\t\t\t<tab id=\"OrraTab\" label=\"星桥资管\" insertAfterMso=\"TabAddIns\">"
    u"\t\t\t\t<group id=\"group_function\" label=\"函数\">"
    u"\t\t\t\t\t<button id=\"id_insert_function\" label=\"截面函数\" size = \"large\" getEnabled=\"GetEnabled\" "
    u"getImage=\"GetImage\" onAction=\"OnClickInsertFunctionEx\"/>"
    u"\t\t\t\t</group>"
    u"\t\t\t\t<group id=\"group_navigate\" label=\"市场\">"
    u"\t\t\t\t\t<button id=\"id_insert_stock\" label=\"市场导航\" size=\"large\" getEnabled=\"GetEnabled\" "
    u"getImage=\"GetImage\" onAction=\"OnClickInsertStock\"/>"
    u"\t\t\t\t</group>"
    u"\t\t\t\t<group id=\"group_tools\" label=\"工具\">"
    u"\t\t\t\t\t<gallery id=\"id_data_refresh\" label=\"刷新\" size=\"large\" getEnabled=\"GetEnabled\" "
    u"getImage=\"GetImage\">"
    u"\t\t\t\t\t\t<button id=\"id_sheet_refresh\" label=\"刷新当前Sheet\" getImage=\"GetImage\" "
    u"onAction=\"OnClickDataRefreshEx\"/>"
    u"\t\t\t\t\t\t<button id=\"id_selected_refresh\" label=\"刷新当前区域\" getImage=\"GetImage\" "
    u"onAction=\"OnClickFormatRefreshEx\"/>"
    u"\t\t\t\t\t\t<button id=\"id_all_refresh\" label=\"刷新文件\" getImage=\"GetImage\" "
    u"onAction=\"OnClickAllRefreshEx\"/>"
    u"\t\t\t\t\t</gallery>"
    u"\t\t\t\t</group>"
    u"\t\t\t</tab>"
    u"\t\t</tabs>"
    u"\t</ribbon>"
    u"</customUI>";

TEST(RibbonXml, IsTheFixedTextByteForByte) {
  const std::u16string& xml = RibbonXml();
  const std::u16string expected = kExpected;
  const auto [got, want] = std::mismatch(xml.begin(), xml.end(), expected.begin(), expected.end());
  const size_t at = static_cast<size_t>(got - xml.begin());
  EXPECT_EQ(xml, expected) << "first difference at unit " << at << ": "
                           << ToUtf8(xml.substr(at, 40)) << " instead of "
                           << ToUtf8(expected.substr(at, 40));
}

}  // namespace
}  // namespace orra
