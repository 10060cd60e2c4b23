#include "ui/navigator_model.h"

#include <gtest/gtest.h>

#include "common/text_conversion.h"
#include "testing/scratch_folder.h"
#include "testing/test_env.h"

namespace orra {
namespace {

using nlohmann::json;

class NoRanges final : public CellReferenceProbe {
 public:
  bool IsRange(std::u16string_view) override { return false; }
  std::optional<std::u16string> ActiveCellAddress() override { return std::nullopt; }
};

json Terminal(const std::string& first_name) {
  return {
      {"indicators", {{"tree", json::array({
          {{"folder", "行情"}, {"children", json::array({
              {{"name", first_name}, {"params", json::array({"@type@"})}},
              {{"name", "open"}},
          })}},
          {{"name", first_name}},
      })}}},
      {"parameters", {{"tree", json::array({
          {{"name", "@type@"}, {"control", "choice"}, {"caption", "类型"}, {"choices", json::array({json::array({"甲", "1"}), json::array({"乙", "2"})})}},
      })}}},
  };
}

class NavigatorModelTest : public ::testing::Test {
 protected:
  NavigatorModelTest() {
    folder_.WriteTerminal(Terminal("close"));
    store_.SetDataDirectory(folder_.directory());
    store_.Load();
  }

  static SheetValue OnlyCell(const std::variant<SheetTable, NavigatorRefusal>& outcome) {
    const SheetTable* table = std::get_if<SheetTable>(&outcome);
    if (table == nullptr || table->rows() != 1 || table->columns() != 1) return std::monostate();
    return *table->At(0, 0);
  }

  testing::ScratchFolder folder_;
  testing::TestEnv env_;
  NoRanges excel_;
  COrraData store_{env_};
};

TEST_F(NavigatorModelTest, OkRefusesWithoutAnIndicatorOrWithAnEmptyCode) {
  NavigatorModel model(store_);
  ASSERT_EQ(model.tree().nodes().size(), 4u);
  EXPECT_EQ(model.Ok(), (std::variant<SheetTable, NavigatorRefusal>(NavigatorRefusal::kNoIndicator)));

  model.Select(0);  // the folder
  model.Tick({}, excel_);
  EXPECT_EQ(model.formula(), u"=XDP(\"行情\")");
  EXPECT_EQ(model.Ok(), (std::variant<SheetTable, NavigatorRefusal>(NavigatorRefusal::kNoIndicator)));

  model.Select(1);
  const std::vector<RowReading> empty_code{u"", ChosenItem{0}};
  model.Tick(empty_code, excel_);
  EXPECT_EQ(model.formula(), u"=XDP(\"\",\"close\",\"@type@=1\")");
  EXPECT_EQ(model.Ok(), (std::variant<SheetTable, NavigatorRefusal>(NavigatorRefusal::kParametersWrong)));
  EXPECT_EQ(RefusalMessage(NavigatorRefusal::kParametersWrong), u"参数填写有误，请检查后再试吧。");

  const std::vector<RowReading> code{u"600000.sh", ChosenItem{1}};
  model.Tick(code, excel_);
  EXPECT_EQ(OnlyCell(model.Ok()), SheetValue(u"=XDP(\"600000.sh\",\"close\",\"@type@=2\")"));
}

TEST_F(NavigatorModelTest, OkBeforeTheFirstTickRefusesTheEmptyFormula) {
  NavigatorModel model(store_);
  model.Select(2);
  EXPECT_EQ(model.formula(), u"");
  EXPECT_EQ(model.Ok(), (std::variant<SheetTable, NavigatorRefusal>(NavigatorRefusal::kParametersWrong)));
  model.Tick(std::vector<RowReading>{u"x"}, excel_);
  EXPECT_EQ(OnlyCell(model.Ok()), SheetValue(u"=XDP(\"x\",\"open\")"));
}

TEST_F(NavigatorModelTest, TheFirstSelectionAloneStartsDatesOnTheirDefaults) {
  NavigatorModel model(store_);
  EXPECT_TRUE(model.first_selection());
  EXPECT_TRUE(model.Select(1));
  EXPECT_FALSE(model.first_selection());
  EXPECT_FALSE(model.Select(1));  // the same indicator again: the panel keeps its rows
  EXPECT_TRUE(model.Select(std::nullopt));
  EXPECT_FALSE(model.Select(99));  // no such node: no selection, which the panel already shows
  EXPECT_EQ(model.selected(), std::nullopt);
}

TEST_F(NavigatorModelTest, TheSearchChoiceFindsTheFirstIndicatorOfExactlyThatName) {
  NavigatorModel model(store_);
  EXPECT_EQ(model.search_text(), NavigatorModel::kSearchHint);
  EXPECT_EQ(model.ChooseSearchText(u"close"), 1u);  // the one in the folder, met first
  EXPECT_EQ(model.search_text(), u"close");
  EXPECT_EQ(model.ChooseSearchText(u"Close"), std::nullopt);
  EXPECT_EQ(model.ChooseSearchText(u"clo"), std::nullopt);
  EXPECT_EQ(model.search_text(), u"clo");
}

TEST_F(NavigatorModelTest, TheTickReportsOnlyAChangedFormula) {
  NavigatorModel model(store_);
  EXPECT_FALSE(model.Tick({}, excel_));  // nothing selected: the box stays empty
  model.Select(2);
  const std::vector<RowReading> code{u"x"};
  EXPECT_TRUE(model.Tick(code, excel_));
  EXPECT_FALSE(model.Tick(code, excel_));
  EXPECT_EQ(model.formula(), u"=XDP(\"x\",\"open\")");
  model.Select(std::nullopt);
  EXPECT_TRUE(model.Tick({}, excel_));
  EXPECT_EQ(model.formula(), u"");
}

TEST_F(NavigatorModelTest, TheHintIsRecognisedInAnyLetterCase) {
  EXPECT_TRUE(NavigatorModel::ShowsHint(u"在此输入指标名称进行搜索"));
  EXPECT_FALSE(NavigatorModel::ShowsHint(u"在此输入指标名称进行搜"));
  EXPECT_FALSE(NavigatorModel::ShowsHint(u""));
}

TEST_F(NavigatorModelTest, TheTreeAndThePanelKeepTheirRecordsAcrossReloads) {
  NavigatorModel model(store_);
  model.Select(1);
  const RecordView before = model.panel().rows()[1].parameter->view();
  // The terminal files other indicators and parameters; the store reads them again.
  folder_.WriteTerminal(json{{"indicators", {{"tree", json::array({{{"name", "other"}}})}}},
                             {"parameters", {{"tree", json::array()}}}});
  store_.Load();
  ASSERT_EQ(store_.IndicatorFile()->count(), 1u);
  EXPECT_EQ(ToWideString(model.tree().Record(3)->view().name), u"close");
  EXPECT_EQ(model.panel().rows()[1].parameter->view().name, before.name);
  EXPECT_EQ(ToWideString(model.panel().rows()[1].parameter->view().name), u"@type@");
  model.Tick(std::vector<RowReading>{u"x", ChosenItem{0}}, excel_);
  EXPECT_EQ(model.formula(), u"=XDP(\"x\",\"close\",\"@type@=1\")");
}

TEST(IndicatorTreeSnapshotTest, TheTreeOutlivesTheStoreThatBuiltIt) {
  testing::ScratchFolder folder;
  folder.WriteTerminal(Terminal("close"));
  std::optional<IndicatorTree> tree;
  {
    testing::TestEnv env;
    COrraData store(env);
    store.SetDataDirectory(folder.directory());
    store.Load();
    tree.emplace(store.IndicatorFile());
  }
  ASSERT_EQ(tree->nodes().size(), 4u);
  EXPECT_EQ(ToWideString(tree->Record(2)->view().name), u"open");
  EXPECT_EQ(tree->nodes()[0].text, u"[ 行情 ]");
}

}  // namespace
}  // namespace orra
