#include "tools/xlhost/ribbon_xml.h"

#include <gtest/gtest.h>

namespace orra::xlhost {
namespace {

TEST(RibbonXmlTest, ReadsTheCallbacksOfEveryControl) {
  const std::string xml =
      "<?xml version=\"1.0\"?><!-- the add-in's tab -->"
      "<customUI xmlns=\"http://schemas.microsoft.com/office/2006/01/customui\" onLoad=\"ribbonLoaded\">"
      "\t<ribbon>\t\t<tabs><tab id=\"OrraTab\" label=\"\xe6\x98\x9f\">"
      "<group id='g1'><button id=\"b1\" size = \"large\" getEnabled=\"GetEnabled\" getImage=\"GetImage\" "
      "onAction=\"OnB&amp;1\"/></group>"
      "<group id=\"g2\"><gallery id=\"menu\" getImage=\"GetImage\">"
      "<button id=\"m&#x31;\" onAction=\"OnM1\"></button></gallery><separator/></group>"
      "</tab></tabs></ribbon></customUI>";
  std::string error;
  const auto ribbon = ParseRibbonXml(xml, error);
  ASSERT_TRUE(ribbon) << error;
  EXPECT_EQ(ribbon->on_load, "ribbonLoaded");
  ASSERT_EQ(ribbon->controls.size(), 6u);
  EXPECT_EQ(ribbon->controls[0].element, "tab");
  const RibbonControl* button = ribbon->Find("b1");
  ASSERT_NE(button, nullptr);
  EXPECT_EQ(button->element, "button");
  EXPECT_EQ(button->get_enabled, "GetEnabled");
  EXPECT_EQ(button->get_image, "GetImage");
  EXPECT_EQ(button->on_action, "OnB&1");
  const RibbonControl* menu = ribbon->Find("menu");
  ASSERT_NE(menu, nullptr);
  EXPECT_TRUE(menu->on_action.empty());
  const RibbonControl* entry = ribbon->Find("m1");
  ASSERT_NE(entry, nullptr);
  EXPECT_EQ(entry->on_action, "OnM1");
  EXPECT_TRUE(entry->get_image.empty());
  EXPECT_EQ(ribbon->Find("m"), nullptr);
}

TEST(RibbonXmlTest, ARootWithAPrefixAndNoOnLoad) {
  std::string error;
  const auto ribbon = ParseRibbonXml("<mso:customUI xmlns:mso=\"x\"/>", error);
  ASSERT_TRUE(ribbon) << error;
  EXPECT_TRUE(ribbon->on_load.empty());
  EXPECT_TRUE(ribbon->controls.empty());
}

TEST(RibbonXmlTest, RefusesMalformedXmlAndStopsAtEveryTruncation) {
  for (const char* bad :
       {"", "no element", "<ribbon/>", "<customUI>", "<customUI></ribbon>", "<customUI/><customUI/>",
        "<customUI a=b/>", "<customUI a=\"b/>", "<customUI a/>", "<customUI a=\"&bogus;\"/>",
        "<customUI a=\"&#xD800;\"/>", "<customUI><!-- open", "<customUI><x id=\"1\"></customUI>", "< customUI/>"}) {
    std::string error;
    EXPECT_FALSE(ParseRibbonXml(bad, error)) << bad;
    EXPECT_FALSE(error.empty()) << bad;
  }
  const std::string whole = "<customUI onLoad=\"L\"><ribbon><button id=\"b\" onAction=\"A\"/></ribbon></customUI>";
  for (size_t length = 0; length < whole.size(); ++length) {
    std::string error;
    EXPECT_FALSE(ParseRibbonXml(whole.substr(0, length), error)) << length;
  }
  std::string deep = "<customUI>";
  for (int i = 0; i < 100; ++i) deep += "<g>";
  std::string error;
  EXPECT_FALSE(ParseRibbonXml(deep, error));
  EXPECT_NE(error.find("too deep"), std::string::npos) << error;
}

}  // namespace
}  // namespace orra::xlhost
