#include "ui/parameter_panel.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>

#include "common/text_conversion.h"
#include "common/utf8.h"
#include "testing/scratch_folder.h"
#include "testing/test_env.h"

namespace orra {
namespace {

using nlohmann::json;

// Excel as the panel asks it: the texts it takes as ranges, and the active cell's address.
class FakeCellReferences final : public CellReferenceProbe {
 public:
  bool IsRange(std::u16string_view text) override {
    asked.emplace_back(text);
    return ranges.count(std::u16string(text)) != 0;
  }
  std::optional<std::u16string> ActiveCellAddress() override { return active_cell; }

  std::set<std::u16string> ranges;
  std::optional<std::u16string> active_cell;
  std::vector<std::u16string> asked;
};

json Parameters() {
  json fifteen = json::array();
  for (int i = 1; i <= 15; ++i) fifteen.push_back("@p" + std::to_string(i) + "@");
  return {
      {"indicators", {{"tree", json::array({
          {{"name", "close"}, {"params", json::array({"@startdate@", "@type@"})}},
          {{"name", "plain"}},
          {{"name", "gappy"}, {"params", json::array({"missing", "", "@unit@", "@type@", 500})}},
          {{"name", "three dates"}, {"params", json::array({"@startdate@", "@d2@", "@d3@"})}},
          {{"name", "other dates"}, {"params", json::array({"@d2@", "@bad@"})}},
          {{"name", "fifteen"}, {"params", fifteen}},
          {{"name", std::string(70, 'n')}},
          {{"folder", "行情"}, {"children", json::array()}},
      })}}},
      {"parameters", {{"tree", [&] {
         json tree = json::array({
             {{"name", "@startdate@"}, {"control", "date"}, {"caption", "起始日期:"}, {"default", "2017-01-03"}},
             {{"name", "@d2@"}, {"control", "date"}, {"caption", "日期二"}, {"default", "20180105"}},
             {{"name", "@d3@"}, {"control", "date"}, {"caption", "日期三"}, {"default", "06/02/2019"}},
             {{"name", "@bad@"}, {"control", "date"}, {"caption", "相对"}, {"default", "-1010"}},
             {{"name", "@type@"}, {"control", "choice"}, {"caption", "类型"},
              {"choices", json::array({json::array({"前复权", "1"}), json::array({"后复权", "2"})})}},
             {{"name", "@unit@"}, {"control", "text"}, {"caption", "单位"}},
             {{"name", "@byid@"}, {"id", 500}, {"control", "text"}, {"caption", "编号"}},
         });
         for (int i = 1; i <= 15; ++i) {
           tree.push_back({{"name", "@p" + std::to_string(i) + "@"}, {"control", "text"}, {"caption", "P"}});
         }
         return tree;
       }()}}},
  };
}

class ParameterPanelTest : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_.WriteTerminal(Parameters());
    store_.SetDataDirectory(folder_.directory());
    store_.Load();
  }

  RecordRef Indicator(std::string_view name) const {
    const std::shared_ptr<const CRecordFile> file = store_.IndicatorFile();
    const std::optional<size_t> index = file->FindByName(ToNarrowString(FromUtf8(name)));
    EXPECT_TRUE(index) << name;
    return RecordRef{file, index.value_or(0)};
  }

  std::u16string Build(const std::vector<RowReading>& readings) {
    return panel_.BuildFormula(readings, excel_).value_or(u"<none>");
  }

  testing::ScratchFolder folder_;
  testing::TestEnv env_;
  COrraData store_{env_};
  ParameterPanel panel_{store_};
  FakeCellReferences excel_;
};

TEST_F(ParameterPanelTest, TheWorkedExample) {
  ASSERT_TRUE(panel_.Show(Indicator("close"), true));
  ASSERT_EQ(panel_.rows().size(), 3u);
  EXPECT_EQ(Build({u"600000.sh", CalendarDate{2017, 2, 20}, ChosenItem{0}}),
            u"=XDP(\"600000.sh\",\"close\",\"@startdate@=20170220\",\"@type@=1\")");
  EXPECT_EQ(excel_.asked, (std::vector<std::u16string>{u"600000.sh"}));
}

TEST_F(ParameterPanelTest, TheCodeIsUnquotedOnlyWhenExcelTakesItAsARange) {
  excel_.ranges = {u"A2", u"[Book1]Sheet1!B3", u"=A2"};
  panel_.Show(Indicator("plain"), true);
  EXPECT_EQ(Build({u"A2"}), u"=XDP(A2,\"plain\")");
  EXPECT_EQ(Build({u"[Book1]Sheet1!B3"}), u"=XDP([Book1]Sheet1!B3,\"plain\")");
  // A text beginning with "=" is never a reference, whatever Excel would say.
  EXPECT_EQ(Build({u"=A2"}), u"=XDP(\"=A2\",\"plain\")");
  // Surrounding white space goes before Excel is asked and before the text is written.
  EXPECT_EQ(Build({u" \tA2\u3000 "}), u"=XDP(A2,\"plain\")");
  EXPECT_EQ(Build({u"  600000.sh  "}), u"=XDP(\"600000.sh\",\"plain\")");
  EXPECT_EQ(panel_.remembered_code(), u"600000.sh");
  // An empty code is written as an empty quoted argument, without asking Excel.
  excel_.asked.clear();
  EXPECT_EQ(Build({u"   "}), u"=XDP(\"\",\"plain\")");
  EXPECT_TRUE(excel_.asked.empty());
}

TEST_F(ParameterPanelTest, RowsOnlyForParametersTheStoreKnowsPlacedOneUnderAnother) {
  ASSERT_TRUE(panel_.Show(Indicator("gappy"), true));
  // Tokens: "missing" (no record), "" (nothing), @unit@, @type@, 500 (found by id).
  const std::vector<PanelRow>& rows = panel_.rows();
  ASSERT_EQ(rows.size(), 4u);
  EXPECT_EQ(rows[0].label, u"证券代码：");
  EXPECT_EQ(rows[0].input_id, 4112);
  EXPECT_EQ(rows[0].label_id, 8208);
  EXPECT_EQ(rows[0].label_rect, (PanelRect{2, 4, 120, 25}));
  EXPECT_EQ(rows[0].input_rect, (PanelRect{130, 4, 340, 25}));

  EXPECT_EQ(rows[1].number, 3u);
  EXPECT_EQ(rows[1].input, RowInput::kEdit);
  EXPECT_EQ(rows[1].label, u"单位：");
  EXPECT_EQ(rows[1].input_id, 4112 + 3);
  EXPECT_EQ(rows[1].label_id, 8208 + 3);
  EXPECT_EQ(rows[1].label_rect, (PanelRect{2, 34, 120, 55}));

  EXPECT_EQ(rows[2].number, 4u);
  EXPECT_EQ(rows[2].input, RowInput::kChoice);
  EXPECT_EQ(rows[2].input_rect, (PanelRect{130, 64, 340, 85 + 100}));
  ASSERT_EQ(rows[2].choices.size(), 2u);
  EXPECT_EQ(rows[2].choices[0].display(), u"前复权");

  EXPECT_EQ(rows[3].number, 5u);
  EXPECT_EQ(rows[3].label, u"编号：");
  EXPECT_EQ(rows[3].label_rect.top, 94);

  EXPECT_TRUE(panel_.reference_button_visible());
  EXPECT_EQ(ParameterPanel::ReferenceButtonRect(), (PanelRect{342, 4, 363, 23}));
  EXPECT_EQ(panel_.ScrollRangeUnits(), 12);  // the last row ends at 115 pixels

  EXPECT_EQ(Build({u"x", u" 万元 ", ChosenItem{1}, u"7"}),
            u"=XDP(\"x\",\"gappy\",\"@unit@=万元\",\"@type@=2\",\"@byid@=7\")");
}

TEST_F(ParameterPanelTest, AChoiceWritesTheChosenItemsValueNeverItsDisplay) {
  panel_.Show(Indicator("close"), true);
  const CalendarDate date{2020, 1, 2};
  EXPECT_EQ(Build({u"c", date, ChosenItem{1}}), u"=XDP(\"c\",\"close\",\"@startdate@=20200102\",\"@type@=2\")");
  // A box showing no item, or an index the list lacks, writes no value rather than reading past it.
  EXPECT_EQ(Build({u"c", date, ChosenItem{std::nullopt}}), u"=XDP(\"c\",\"close\",\"@startdate@=20200102\",\"@type@=\")");
  EXPECT_EQ(Build({u"c", date, ChosenItem{2}}), u"=XDP(\"c\",\"close\",\"@startdate@=20200102\",\"@type@=\")");
  // A reading of the wrong kind, or none, gives no argument for its row.
  EXPECT_EQ(Build({u"c", u"20200102"}), u"=XDP(\"c\",\"close\")");
}

TEST_F(ParameterPanelTest, FifteenParametersGiveSeventeenArguments) {
  panel_.Show(Indicator("fifteen"), true);
  ASSERT_EQ(panel_.rows().size(), 16u);
  std::vector<RowReading> readings{u"600000.sh"};
  for (int i = 1; i <= 15; ++i) readings.push_back(ToWideString(std::to_string(i)));
  const std::u16string formula = Build(readings);
  EXPECT_EQ(std::count(formula.begin(), formula.end(), u','), 16);
  EXPECT_NE(formula.find(u"\"@p15@=15\")"), std::u16string::npos);
}

TEST_F(ParameterPanelTest, DatePickersStartOnTheDefaultOnlyAtTheFirstSelectionThenOnTheLastDateRead) {
  panel_.Show(Indicator("three dates"), true);
  ASSERT_EQ(panel_.rows().size(), 4u);
  EXPECT_EQ(panel_.rows()[1].initial_date, (CalendarDate{2017, 1, 3}));
  EXPECT_EQ(panel_.rows()[2].initial_date, (CalendarDate{2018, 1, 5}));
  EXPECT_EQ(panel_.rows()[3].initial_date, (CalendarDate{2019, 2, 6}));
  EXPECT_EQ(panel_.rows()[1].label, u"起始日期：");  // the caption's own ASCII colon is gone
  EXPECT_EQ(panel_.last_date_read(), std::nullopt);

  EXPECT_EQ(Build({u"c", CalendarDate{2021, 3, 1}, CalendarDate{2021, 3, 2}, CalendarDate{2021, 3, 3}}),
            u"=XDP(\"c\",\"three dates\",\"@startdate@=20210301\",\"@d2@=20210302\",\"@d3@=20210303\")");
  EXPECT_EQ(panel_.last_date_read(), (CalendarDate{2021, 3, 3}));

  ASSERT_TRUE(panel_.Show(Indicator("other dates"), false));
  ASSERT_EQ(panel_.rows().size(), 3u);
  EXPECT_EQ(panel_.rows()[0].initial_text, u"c");
  EXPECT_EQ(panel_.rows()[1].initial_date, (CalendarDate{2021, 3, 3}));
  EXPECT_EQ(panel_.rows()[2].initial_date, (CalendarDate{2021, 3, 3}));
}

TEST_F(ParameterPanelTest, ADefaultThatIsNoDateLeavesThePickerAtToday) {
  panel_.Show(Indicator("other dates"), true);
  ASSERT_EQ(panel_.rows().size(), 3u);
  EXPECT_EQ(panel_.rows()[1].initial_date, (CalendarDate{2018, 1, 5}));
  EXPECT_EQ(panel_.rows()[2].initial_date, std::nullopt);  // "-1010", a relative-date code
}

TEST_F(ParameterPanelTest, TheSameIndicatorAgainChangesNothing) {
  ASSERT_TRUE(panel_.Show(Indicator("close"), true));
  EXPECT_FALSE(panel_.Show(Indicator("close"), false));
  EXPECT_EQ(panel_.rows()[1].initial_date, (CalendarDate{2017, 1, 3}));
  ASSERT_TRUE(panel_.Show(std::nullopt, false));
  EXPECT_FALSE(panel_.Show(std::nullopt, false));
  EXPECT_TRUE(panel_.rows().empty());
  EXPECT_FALSE(panel_.reference_button_visible());
  EXPECT_EQ(panel_.ScrollRangeUnits(), 0);
  EXPECT_EQ(panel_.BuildFormula({}, excel_), std::nullopt);
}

TEST_F(ParameterPanelTest, AFolderEmptiesThePanelYetNamesItselfInTheFormula) {
  panel_.Show(Indicator("close"), true);
  ASSERT_TRUE(panel_.Show(Indicator("行情"), false));
  EXPECT_TRUE(panel_.rows().empty());
  EXPECT_EQ(Build({}), u"=XDP(\"行情\")");
}

TEST_F(ParameterPanelTest, AnIndicatorWithoutParametersGivesTwoArgumentsAndALongNameIsCut) {
  panel_.Show(Indicator("plain"), true);
  ASSERT_EQ(panel_.rows().size(), 1u);
  EXPECT_EQ(Build({u"600000.sh"}), u"=XDP(\"600000.sh\",\"plain\")");
  panel_.Show(Indicator(std::string(70, 'n')), false);
  EXPECT_EQ(Build({u"a"}), u"=XDP(\"a\",\"" + std::u16string(63, u'n') + u"\")");
}

TEST_F(ParameterPanelTest, TheReferenceButtonGivesTheActiveCellWithoutDollars) {
  excel_.active_cell = u"[Book1]Sheet1!$B$3";
  EXPECT_EQ(ParameterPanel::ReferenceText(excel_), u"[Book1]Sheet1!B3");
  excel_.active_cell.reset();
  EXPECT_EQ(ParameterPanel::ReferenceText(excel_), std::nullopt);
}

}  // namespace
}  // namespace orra
