#include "tools/xlhost/formula.h"

#include <gtest/gtest.h>

namespace orra::xlhost {
namespace {

TEST(FormulaTest, ReadsEveryKindOfArgument) {
  std::string error;
  const auto formula = ParseFormula(R"(=XDP("600000.SH", B2, , 43831, TRUE, "a, ""b""",-1.5))", error);
  ASSERT_TRUE(formula) << error;
  EXPECT_EQ(formula->name, "XDP");
  ASSERT_EQ(formula->arguments.size(), 7u);
  EXPECT_EQ(formula->arguments[0], FormulaArgument(GridValue(u"600000.SH")));
  EXPECT_EQ(formula->arguments[1], FormulaArgument(CellAddress{1, 1}));
  EXPECT_EQ(formula->arguments[2], FormulaArgument(OmittedArgument{}));
  EXPECT_EQ(formula->arguments[3], FormulaArgument(GridValue(43831.0)));
  EXPECT_EQ(formula->arguments[4], FormulaArgument(GridValue(true)));
  EXPECT_EQ(formula->arguments[5], FormulaArgument(GridValue(u"a, \"b\"")));
  EXPECT_EQ(formula->arguments[6], FormulaArgument(GridValue(-1.5)));
}

TEST(FormulaTest, EmptyParenthesesHaveNoArgumentsAndALeadingCommaOmitsTheFirst) {
  std::string error;
  const auto nothing = ParseFormula("=nothing()", error);
  ASSERT_TRUE(nothing);
  EXPECT_EQ(nothing->name, "NOTHING");
  EXPECT_TRUE(nothing->arguments.empty());
  const auto formula = ParseFormula(R"(=XDP(,"close"))", error);
  ASSERT_TRUE(formula);
  EXPECT_EQ(formula->arguments[0], FormulaArgument(OmittedArgument{}));
  EXPECT_EQ(formula->arguments.size(), 2u);
}

TEST(FormulaTest, TextKeepsUtf8AsUtf16) {
  std::string error;
  const auto formula = ParseFormula("=XDP(\"600000\",\"收盘价\")", error);
  ASSERT_TRUE(formula);
  EXPECT_EQ(formula->arguments[1], FormulaArgument(GridValue(u"收盘价")));
}

TEST(FormulaTest, ACellNamedWithItsBookAndSheetIsAReferenceAndARangeIsNot) {
  std::string error;
  const auto formula = ParseFormula(R"(=XDP([Book1]Sheet1!C3,"close",Sheet1!$B$2))", error);
  ASSERT_TRUE(formula) << error;
  EXPECT_EQ(formula->arguments[0], FormulaArgument(CellAddress{2, 2}));
  EXPECT_EQ(formula->arguments[2], FormulaArgument(CellAddress{1, 1}));
  EXPECT_FALSE(ParseFormula(R"(=XDP([Book1]Sheet1!B2:C3,"close"))", error));
  EXPECT_FALSE(ParseFormula(R"(=XDP([Book1]!B2,"close"))", error));
}

TEST(FormulaTest, SaysWhatIsWrong) {
  for (const char* text : {"XDP(1)", "=XDP", "=(1)", "=XDP(\"open)", "=XDP(hello)", "=1X(2)",
                           "=XDP(1)+1", "=XDP(SUM(1))"}) {
    std::string error;
    EXPECT_FALSE(ParseFormula(text, error)) << text;
    EXPECT_FALSE(error.empty()) << text;
  }
}

}  // namespace
}  // namespace orra::xlhost
