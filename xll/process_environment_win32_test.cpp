#include <gtest/gtest.h>

#include <string>

#include "xll/process_environment.h"

namespace orra {
namespace {

TEST(ProcessEnvironmentWin32Test, AVariableReadsBackAsSetAndAnUnsetOneIsNone) {
  ProcessEnvironment& process = PlatformProcessEnvironment();
  EXPECT_EQ(process.Variable(u"ORRA_TEST_UNSET_VARIABLE"), std::nullopt);
  // Longer than a first guess at the size, and not ASCII.
  const std::u16string value = u"C:\\插件;" + std::u16string(600, u'x');
  ASSERT_TRUE(process.SetVariable(u"ORRA_TEST_VARIABLE", value));
  EXPECT_EQ(process.Variable(u"ORRA_TEST_VARIABLE"), value);
  ASSERT_TRUE(process.SetVariable(u"ORRA_TEST_VARIABLE", u""));
  EXPECT_EQ(process.Variable(u"ORRA_TEST_VARIABLE"), u"");
}

TEST(ProcessEnvironmentWin32Test, TheModuleIsTheOneThisCodeIsLinkedInto) {
  const std::optional<std::u16string> path = PlatformProcessEnvironment().AddinModulePath();
  ASSERT_TRUE(path);
  EXPECT_NE(path->find(u"xll_tests"), std::u16string::npos);
  EXPECT_NE(path->rfind(u'\\'), std::u16string::npos);
}

}  // namespace
}  // namespace orra
