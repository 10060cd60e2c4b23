#include "xll/function_registration.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "xll/xl_constants.h"

namespace orra {
namespace {

std::vector<std::u16string> Split(const std::u16string& text, std::u16string_view separator) {
  std::vector<std::u16string> parts;
  size_t start = 0;
  for (size_t found; (found = text.find(separator, start)) != std::u16string::npos; start = found + separator.size()) {
    parts.push_back(text.substr(start, found - start));
  }
  parts.push_back(text.substr(start));
  return parts;
}

std::u16string TextAt(const RegisterArguments& arguments, size_t index) {
  const std::optional<std::u16string_view> text = TextOf(*arguments.values()[index]);
  EXPECT_TRUE(text) << "argument " << index + 1 << " is not a text";
  return text ? std::u16string(*text) : std::u16string();
}

TEST(XdpRegistrationTest, TakesSixteenGeneralValuesAndAnswersOne) {
  const FunctionRegistration xdp = XdpRegistration();
  EXPECT_EQ(TypeText(xdp), std::u16string(17, u'Q'));
  const std::vector<std::u16string> names = Split(ArgumentText(xdp), u", ");
  ASSERT_EQ(names.size(), 16u);
  EXPECT_EQ(names.front(), u"stock_code");
  EXPECT_EQ(names[1], u"indicator_name");
  EXPECT_EQ(names[2], u"arg1");
  EXPECT_EQ(names.back(), u"arg14");
  EXPECT_EQ(xdp.category, u"ORRA FUNCTION");
}

TEST(TypeTextTest, MarksVolatileAndThreadSafeAfterTheArguments) {
  FunctionRegistration record;
  record.result_type = u"B";
  record.arguments = {{u"a", u"a", u"Q"}, {u"b", u"b", u"J"}};
  record.is_volatile = true;
  record.thread_safe = true;
  EXPECT_EQ(TypeText(record), u"BQJ!$");
  record.arguments.clear();
  record.result_type.clear();
  record.thread_safe = false;
  EXPECT_EQ(TypeText(record), u"Q!");
}

TEST(ArgumentTextTest, TheFunctionWizardTakesAtMost255Characters) {
  FunctionRegistration record;
  // 51 names of three letters: 51 * 3 + 50 * 2 = 253 characters, then one more name.
  for (int i = 0; i < 51; ++i) record.arguments.push_back({u"abc", u"abc", u"Q"});
  EXPECT_EQ(ArgumentText(record).size(), 253u);
  record.arguments.push_back({u"", u"", u"Q"});  // ", " more: 255
  EXPECT_EQ(ArgumentText(record).size(), 255u);
  record.arguments.back().name = u"d";
  EXPECT_EQ(ArgumentText(record), u"Too many arguments for Function Wizard");
}

TEST(RegisterArgumentsTest, XdpIsRegisteredWithTwentySixArgumentsInExcelsOrder) {
  const RegisterArguments arguments(XdpRegistration(), u"C:\\Addins\\OrraAddin64.xll",
                                    u"C:\\Addins\\OrraAddin64.chm!1");
  ASSERT_EQ(arguments.values().size(), 26u);
  EXPECT_EQ(TextAt(arguments, 0), u"C:\\Addins\\OrraAddin64.xll");
  EXPECT_EQ(TextAt(arguments, 1), u"XDP");
  EXPECT_EQ(TextAt(arguments, 2), std::u16string(17, u'Q'));
  EXPECT_EQ(TextAt(arguments, 3), u"XDP");
  EXPECT_EQ(TextAt(arguments, 4), ArgumentText(XdpRegistration()));
  ASSERT_EQ(arguments.values()[5]->xltype, xltypeNum);
  EXPECT_EQ(arguments.values()[5]->val.num, 1.0);
  EXPECT_EQ(TextAt(arguments, 6), u"ORRA FUNCTION");
  EXPECT_EQ(TextAt(arguments, 7), u"");
  EXPECT_EQ(TextAt(arguments, 8), u"C:\\Addins\\OrraAddin64.chm!1");
  EXPECT_EQ(TextAt(arguments, 9), u"XDP");
  EXPECT_EQ(TextAt(arguments, 10), u"stock_code");
  EXPECT_EQ(TextAt(arguments, 11), u"indicator_name");
  EXPECT_EQ(TextAt(arguments, 12), u"arg1");
  EXPECT_EQ(TextAt(arguments, 24), u"arg13");
  EXPECT_EQ(TextAt(arguments, 25), u"arg14. ");
}

}  // namespace
}  // namespace orra
