#include "tools/xlhost/scenario.h"

#include <gtest/gtest.h>

#include "tools/xlhost/workbook.h"

namespace orra::xlhost {
namespace {

TEST(ScenarioTest, ReadsEveryStep) {
  const std::string text =
      "# a comment\n"
      "\n"
      "open\n"
      "open C:\\x\\a.xll\n"
      "set A1 42\n"
      "set A2 \"text\"\n"
      "set B3 =XDP(A1, \"close\")\n"
      "set A1\n"
      "calc\n"
      "calc B3\n"
      "expect B3 \"Fetching...\"\n"
      "expect A1 42\n"
      "expect A9 empty\n"
      "expect-rtd B3 \"P\" \"\" \"'[Book1.xlsx]Sheet1'!B3\"\n"
      "expect-no-rtd C1\n"
      "expect-registered XDP \"QQ\" \"a, b\"\n"
      "expect-not-registered XDP\n"
      "expect-status \"Registering library...\"\n"
      "expect-status-cleared\n"
      "expect-allocations 0\n"
      "add\nremove\nclose\nprint\n";
  std::string error;
  const auto steps = ParseScenario(text, error);
  ASSERT_TRUE(steps) << error;
  ASSERT_EQ(steps->size(), 22u);
  EXPECT_EQ((*steps)[0].kind, StepKind::kOpen);
  EXPECT_EQ((*steps)[0].line, 3);
  EXPECT_TRUE((*steps)[0].word.empty());
  EXPECT_EQ((*steps)[1].word, "C:\\x\\a.xll");
  EXPECT_EQ((*steps)[2].value, GridValue(42.0));
  EXPECT_EQ((*steps)[3].value, GridValue(u"text"));
  ASSERT_TRUE((*steps)[4].formula);
  EXPECT_EQ((*steps)[4].formula->arguments.size(), 2u);
  EXPECT_EQ((*steps)[5].value, GridValue());
  EXPECT_FALSE((*steps)[6].cell);
  EXPECT_EQ((*steps)[7].cell, (CellAddress{2, 1}));
  EXPECT_EQ((*steps)[8].value, GridValue(u"Fetching..."));
  EXPECT_EQ((*steps)[9].value, GridValue(42.0));
  EXPECT_EQ((*steps)[10].value, GridValue());
  EXPECT_EQ((*steps)[11].texts,
            (std::vector<std::u16string>{u"P", u"", u"'[Book1.xlsx]Sheet1'!B3"}));
  EXPECT_EQ((*steps)[13].word, "XDP");
  EXPECT_EQ((*steps)[13].texts, (std::vector<std::u16string>{u"QQ", u"a, b"}));
  EXPECT_EQ((*steps)[15].texts, (std::vector<std::u16string>{u"Registering library..."}));
  EXPECT_EQ((*steps)[17].count, 0u);
  EXPECT_EQ((*steps)[21].kind, StepKind::kPrint);
}

TEST(ScenarioTest, ReadsTheRtdStepsAndPairsRepetitions) {
  const std::string text =
      "throttle 0\n"
      "repeat 20\n"
      "fill B1:C500 =XDP(\"600000.SH\", \"close\")\n"
      "repeat 2\n"
      "wait 300\n"
      "end-repeat\n"
      "end-repeat\n"
      "wait-until B1 \"12.5\"\n"
      "wait-until B1 12.5 4000\n"
      "expect-topics 1000\n"
      "expect-rtd-value B1 -1\n"
      "note-threads\n"
      "expect-threads\n"
      "expect-threads 2\n";
  std::string error;
  const auto steps = ParseScenario(text, error);
  ASSERT_TRUE(steps) << error;
  ASSERT_EQ(steps->size(), 14u);
  const std::vector<Step>& s = *steps;
  EXPECT_EQ(s[0].kind, StepKind::kThrottle);
  EXPECT_EQ(s[0].count, 0u);
  EXPECT_EQ(s[1].count, 20u);
  EXPECT_EQ(s[1].partner, 6u);
  EXPECT_EQ(s[6].partner, 1u);
  EXPECT_EQ(s[3].partner, 5u) << "the inner pair";
  EXPECT_EQ(s[5].partner, 3u);
  EXPECT_EQ(s[2].cell, (CellAddress{0, 1}));
  EXPECT_EQ(s[2].last_cell, (CellAddress{499, 2}));
  ASSERT_TRUE(s[2].formula);
  EXPECT_EQ(s[2].formula->name, "XDP");
  EXPECT_EQ(s[4].count, 300u);
  EXPECT_EQ(s[7].value, GridValue(u"12.5"));
  EXPECT_EQ(s[7].count, kDefaultWaitUntilMs);
  EXPECT_EQ(s[8].value, GridValue(12.5));
  EXPECT_EQ(s[8].count, 4000u);
  EXPECT_EQ(s[9].count, 1000u);
  EXPECT_EQ(s[10].value, GridValue(-1.0));
  EXPECT_EQ(s[11].kind, StepKind::kNoteThreads);
  EXPECT_EQ(s[12].count, 0u);
  EXPECT_EQ(s[13].count, 2u);
}

TEST(ScenarioTest, ReadsTheStepsOfExcelsComSide) {
  const std::string text =
      "register\nregister C:\\a.xll\nunregister\nconnect Some.Addin\ndisconnect\nclick id_all_refresh\n"
      "select B2:C5\nactivate C3\nedit begin\nedit end\nanswer-messages no\n"
      "expect-message \"Please log in\"\nexpect-message \"t\" \"caption\"\nexpect-messages 2\n"
      "expect-format B2 \"yyyy-mm-dd\"\nexpect-alignment B2 right\nexpect-calculation off\n"
      "expect-ribbon-image id_help none\nexpect-ribbon-enabled id_help TRUE\nexpect-ribbon-xml-bytes 2048\n";
  std::string error;
  const auto steps = ParseScenario(text, error);
  ASSERT_TRUE(steps) << error;
  ASSERT_EQ(steps->size(), 20u);
  EXPECT_TRUE((*steps)[0].word.empty());
  EXPECT_EQ((*steps)[1].word, "C:\\a.xll");
  EXPECT_EQ((*steps)[3].word, "Some.Addin");
  EXPECT_EQ((*steps)[5].word, "id_all_refresh");
  EXPECT_EQ((*steps)[6].range, (CellRange{{1, 1}, {4, 2}}));
  EXPECT_EQ((*steps)[7].cell, (CellAddress{2, 2}));
  EXPECT_TRUE((*steps)[8].flag);
  EXPECT_FALSE((*steps)[9].flag);
  EXPECT_FALSE((*steps)[10].flag);
  EXPECT_EQ((*steps)[12].texts, (std::vector<std::u16string>{u"t", u"caption"}));
  EXPECT_EQ((*steps)[13].count, 2u);
  EXPECT_EQ((*steps)[14].texts, (std::vector<std::u16string>{u"yyyy-mm-dd"}));
  EXPECT_EQ((*steps)[15].alignment, kAlignRight);
  EXPECT_FALSE((*steps)[16].flag);
  EXPECT_EQ((*steps)[17].word, "id_help");
  EXPECT_FALSE((*steps)[17].flag);
  EXPECT_TRUE((*steps)[18].flag);
  EXPECT_EQ((*steps)[19].count, 2048u);
}

TEST(ScenarioTest, ReadsTheWindowSteps) {
  const std::string text =
      "wait-window \"函数插入\"\nwait-window \"A\" 250\nset-text \"A\" 1001 \"600000\"\n"
      "type \"A\" 1001 \"pa\"\"y\"\nkey \"A\" 7 DOWN\nkey \"A\" 7 Q\npress \"A\" 1\n"
      "choose \"A\" 9 \"日\"\nselect-tree \"A\" 3 \"根\" \"子\"\ndouble-click-tree \"A\" 3 \"根\"\n"
      "select-rows \"A\" 4\nselect-rows \"A\" 4 \"x\" \"y\"\nexpect-text \"A\" 5 \"\"\n"
      "expect-checked \"A\" 6 FALSE\nexpect-rows \"A\" 4 1 \"a\" \"b\"\nexpect-rows \"A\" 4 0\n"
      "expect-window \"A\" hidden\nscreenshot \"函数插入\" insert_code-1.png\n";
  std::string error;
  const auto steps = ParseScenario(text, error);
  ASSERT_TRUE(steps) << error;
  ASSERT_EQ(steps->size(), 18u);
  const auto& s = *steps;
  EXPECT_EQ(s[0].control.caption, u"函数插入");
  EXPECT_EQ(s[0].count, kDefaultWaitWindowMs);
  EXPECT_EQ(s[1].count, 250u);
  EXPECT_EQ(s[2].kind, StepKind::kSetText);
  EXPECT_EQ(s[2].control.id, 1001);
  EXPECT_EQ(s[2].texts, (std::vector<std::u16string>{u"600000"}));
  EXPECT_EQ(s[3].texts, (std::vector<std::u16string>{u"pa\"y"}));
  EXPECT_EQ(s[4].count, 0x28u) << "VK_DOWN";
  EXPECT_EQ(s[5].count, static_cast<size_t>('Q'));
  EXPECT_EQ(s[6].kind, StepKind::kPress);
  EXPECT_EQ(s[6].control.id, 1);
  EXPECT_EQ(s[8].texts, (std::vector<std::u16string>{u"根", u"子"}));
  EXPECT_EQ(s[9].kind, StepKind::kDoubleClickTree);
  EXPECT_TRUE(s[10].texts.empty()) << "no rows: the selection is cleared";
  EXPECT_EQ(s[11].texts.size(), 2u);
  EXPECT_EQ(s[12].texts, (std::vector<std::u16string>{u""}));
  EXPECT_FALSE(s[13].flag);
  EXPECT_EQ(s[14].count, 1u);
  EXPECT_EQ(s[14].texts, (std::vector<std::u16string>{u"a", u"b"}));
  EXPECT_TRUE(s[15].texts.empty());
  EXPECT_EQ(s[16].presence, WindowPresence::kHidden);
  EXPECT_EQ(s[17].word, "insert_code-1.png");
}

// The runner and the parser send a step to its side by these two; the boundaries of each group
// of kinds are where a misplaced kind would show.
TEST(ScenarioTest, EveryStepKnowsItsSideAndWhetherItOnlyChecks) {
  EXPECT_EQ(SideOf(StepKind::kOpen), StepSide::kWorkbook);
  EXPECT_EQ(SideOf(StepKind::kExpectThreads), StepSide::kWorkbook);
  EXPECT_EQ(SideOf(StepKind::kRegister), StepSide::kExcel);
  EXPECT_EQ(SideOf(StepKind::kExpectRibbonXmlBytes), StepSide::kExcel);
  EXPECT_EQ(SideOf(StepKind::kWaitWindow), StepSide::kWindows);
  EXPECT_EQ(SideOf(StepKind::kScreenshot), StepSide::kWindows);

  EXPECT_TRUE(IsExpectation(StepKind::kExpect));
  EXPECT_TRUE(IsExpectation(StepKind::kExpectMessage));
  EXPECT_TRUE(IsExpectation(StepKind::kExpectWindow));
  EXPECT_FALSE(IsExpectation(StepKind::kAnswerMessages));
  EXPECT_FALSE(IsExpectation(StepKind::kWaitWindow));
  EXPECT_FALSE(IsExpectation(StepKind::kScreenshot));
}

TEST(ScenarioTest, ABadLineIsNamedWithWhatIsWrong) {
  struct Case {
    const char* text;
    const char* names;
  };
  const Case cases[] = {
      {"open\nfrobnicate A1\n", "line 2: unknown step \"frobnicate\""},
      {"set 3B 1\n", "line 1: set: a cell reference"},
      {"set A1 hello\n", "line 1: set: the value is no text"},
      {"set A1 =XDP(\n", "line 1: set:"},
      {"expect A1\n", "line 1: expect: takes 2 operands, not 1"},
      {"expect A1 \"open\n", "line 1: a text has no closing quote"},
      {"expect-rtd A1 \"P\" \"\"\n", "line 1: expect-rtd: takes a cell"},
      {"expect-registered XDP QQ \"a\"\n", "line 1: expect-registered: operand 2 (QQ) must be a quoted text"},
      {"expect-allocations many\n", "line 1: expect-allocations: a count"},
      {"close now\n", "line 1: close: takes 0 operands"},
      {"wait\n", "line 1: wait: takes 1 operand, not 0"},
      {"wait 600001\n", "line 1: wait: a count from 0 to 600000"},
      {"wait -5\n", "line 1: wait: a count"},
      {"wait-until A1\n", "line 1: wait-until: takes 3 operands"},
      {"repeat 1001\nend-repeat\n", "line 1: repeat: a count from 0 to 1000"},
      {"repeat 2\nwait 1\n", "line 1: repeat without an end-repeat"},
      {"wait 1\nend-repeat\n", "line 2: end-repeat without a repeat"},
      {"fill B5:B1 =F()\n", "line 1: fill: a range such as B1:B1000"},
      {"fill B1 =F()\n", "line 1: fill: a range"},
      {"fill A1:Z10000 =F()\n", "line 1: fill: at most 100000 cells"},
      {"fill A1:A2 5\n", "line 1: fill: a =formula is wanted"},
      {"expect-rtd-value A1 nothing\n", "line 1: expect-rtd-value: the value nothing is no text"},
      {"select Sheet1!A1\n", "line 1: select: a range of the sheet"},
      {"select \"A1\"\n", "line 1: select: a range of the sheet"},
      {"edit start\n", "line 1: edit: begin or end is wanted, not start"},
      {"answer-messages maybe\n", "line 1: answer-messages: yes or no"},
      {"expect-message Hello\n", "line 1: expect-message: operand 1 (Hello) must be a quoted text"},
      {"expect-message\n", "line 1: expect-message: takes the text"},
      {"expect-format B2 General\n", "line 1: expect-format: the format must be a quoted text"},
      {"expect-alignment B2 justify\n", "line 1: expect-alignment: left, center, right or general"},
      {"expect-ribbon-image id_help maybe\n", "line 1: expect-ribbon-image: present or none"},
      {"expect-ribbon-enabled id_help\n", "line 1: expect-ribbon-enabled: takes 2 operands"},
      {"expect-ribbon-xml-bytes -1\n", "line 1: expect-ribbon-xml-bytes: a count"},
      {"connect A B\n", "line 1: connect: takes 1 operand, not 2"},
      {"wait-window A\n", "line 1: wait-window: the window's caption is wanted first"},
      {"wait-window \"A\" 600001\n", "line 1: wait-window: a count of milliseconds up to 600000"},
      {"wait-window \"A\" 100 hidden\n", "line 1: wait-window: a wait is for a visible or an active window, not hidden"},
      {"set-text \"A\" x1 \"t\"\n", "line 1: set-text: a control id is wanted, not x1"},
      {"set-text \"A\" -4 \"t\"\n", "line 1: set-text: a control id is wanted, not -4"},
      {"set-text \"A\" 4 t\n", "line 1: set-text: operand 3 (t) must be a quoted text"},
      {"type \"A\" 4\n", "line 1: type: takes 3 operands, not 2"},
      {"key \"A\" 4 PAGEDOWN\n", "line 1: key: a key such as DOWN"},
      {"key \"A\" 4 \"DOWN\"\n", "line 1: key: a key such as DOWN"},
      {"press \"A\"\n", "line 1: press: takes 2 operands, not 1"},
      {"select-tree \"A\" 3\n", "line 1: select-tree: takes at least 3 operands"},
      {"expect-checked \"A\" 3 yes\n", "line 1: expect-checked: TRUE or FALSE"},
      {"expect-rows \"A\" 3 first\n", "line 1: expect-rows: a column number"},
      {"expect-window \"A\" shown\n", "line 1: expect-window: visible, active, hidden or absent"},
      {"screenshot \"A\" ../escape.png\n", "line 1: screenshot: a file name of letters"},
      {"screenshot \"A\" shot.bmp\n", "line 1: screenshot: a file name"},
      {"screenshot \"A\" .png\n", "line 1: screenshot: a file name"},
      {"screenshot \"A\" C:\\x.png\n", "line 1: screenshot: a file name"},
  };
  for (const Case& c : cases) {
    std::string error;
    EXPECT_FALSE(ParseScenario(c.text, error)) << c.text;
    EXPECT_NE(error.find(c.names), std::string::npos) << error;
  }
}

}  // namespace
}  // namespace orra::xlhost
