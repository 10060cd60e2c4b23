#include "tools/orra/sheet_formula.h"

#include <gtest/gtest.h>

namespace orra::cli {
namespace {

TEST(SheetFormula, ReadsCellsQuotedTextsNumbersAndOmittedArguments) {
  std::string error;
  const auto cells = ParseSheet(
      "# a comment\n\nB2 =XDP(\"600000\",\"\xE6\x94\xB6\xE7\x9B\x98\xE4\xBB\xB7\",\"@tradedate@=20200101\")\r\n"
      "C3 =xdp(000001, \"say \"\"hi\"\"\", , \"ROW=1:COL=2\")\n",
      error);
  ASSERT_TRUE(cells) << error;
  ASSERT_EQ(cells->size(), 2u);
  EXPECT_EQ((*cells)[0].cell, "B2");
  EXPECT_EQ((*cells)[0].line, 3);
  EXPECT_EQ((*cells)[0].arguments[1], std::optional<std::u16string>(u"收盘价"));
  const auto& c3 = (*cells)[1].arguments;
  ASSERT_EQ(c3.size(), 4u);
  EXPECT_EQ(c3[0], std::optional<std::u16string>(u"000001"));
  EXPECT_EQ(c3[1], std::optional<std::u16string>(u"say \"hi\""));
  EXPECT_FALSE(c3[2]);

  const auto topics = XdpTopics((*cells)[1], u"[orra]Sheet1");
  ASSERT_TRUE(topics);
  EXPECT_EQ(*topics, (std::vector<std::u16string>{u"'[orra]Sheet1'!C3", u"0", u"000001", u"say \"hi\""}))
      << "omitted arguments and placement options are not sent";
}

TEST(SheetFormula, FewerThanTwoArgumentsMakeNoRequest) {
  std::string error;
  const auto cells = ParseSheet("A1 =XDP(\"600000\")\nA2 =XDP()\nA3 =XDP(,\"close\")\n", error);
  ASSERT_TRUE(cells) << error;
  for (const SheetCell& cell : *cells) EXPECT_FALSE(XdpTopics(cell, u"[orra]Sheet1")) << cell.cell;
}

TEST(SheetFormula, MalformedLinesNameTheLineAndTheFault) {
  std::string error;
  EXPECT_FALSE(ParseSheet("B2 =SUM(1,2)\n", error));
  EXPECT_EQ(error, "line 1: the formula must start with =XDP(");
  EXPECT_FALSE(ParseSheet("\nZZZZ1 =XDP(\"a\",\"b\")\n", error));
  EXPECT_EQ(error, "line 2: 'ZZZZ1' is not a cell reference such as B2");
  EXPECT_FALSE(ParseSheet("B2 =XDP(\"a\",\"b\"\n", error));
  EXPECT_EQ(error, "line 1: expected ',' or ')'");
  EXPECT_FALSE(ParseSheet("B2 =XDP(\"a,b)\n", error));
  EXPECT_EQ(error, "line 1: a quoted argument is not closed");
  EXPECT_FALSE(ParseSheet("B2 =XDP(close,\"b\")\n", error));
  EXPECT_EQ(error, "line 1: argument 'close' is neither a quoted text nor a number");
}

}  // namespace
}  // namespace orra::cli
