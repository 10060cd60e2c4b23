#include "ui/insert_code_model.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "store/ini_text.h"
#include "store/orra_data.h"
#include "store/store_files.h"
#include "testing/scratch_folder.h"
#include "testing/terminal_description.h"
#include "testing/terminal_files.h"
#include "testing/test_env.h"

namespace orra {
namespace {

using nlohmann::json;

constexpr CellColours kColours{0x000000, 0xFFFFFF};

std::shared_ptr<const CBlockData> DecodeMarket(const std::vector<uint8_t>& bytes) {
  std::optional<CBlockData> market = CBlockData::Decode(bytes, nullptr);
  return market ? std::make_shared<const CBlockData>(std::move(*market)) : nullptr;
}

json Terminal() {
  return json::parse(R"({
    "securities": [["600000.sh", "浦发银行"], ["000001.sz", "平安银行"], ["600036.sh", "招商银行"],
                   ["601398.sh", "工商银行"], ["000002.sz", "万科A"], ["60000", "短代码"]],
    "market": {"schemes": [{"scheme": 1, "categories": [
      {"code": "SW", "name": "申万行业", "children": [
        {"code": "801780", "name": "银行", "members": ["600000.sh", "000001.sz", "600036.sh", "601398.sh", "000002.sz"]},
        {"code": "801790", "name": "空"}]}]},
      {"scheme": 2, "categories": [{"code": "801780", "name": "同码", "members": ["60000"]}]}]},
    "self_blocks": [{"group": "市场导航", "blocks": [
      {"name": "自选股一", "stocks": ["600036.sh", "999999.sh", "600000.sh"]},
      {"name": "Gone", "stocks": ["888888.sh", "777777.sz"]}]}]
  })");
}

class InsertCodeModelTest : public ::testing::Test {
 protected:
  InsertCodeModelTest() {
    for (const terminal::DataFile& file : terminal::DescribeDataFiles(Terminal())) {
      if (file.name == kMarketDataName) {
        market_ = DecodeMarket(file.bytes);
      } else if (file.name == kSelfBlockName) {
        CIniText text(false);
        text.LoadText(file.bytes);
        std::optional<CSelfBlockList> list = CSelfBlockList::ReadGroups(text, false);
        if (list) self_blocks_ = std::make_shared<CSelfBlockList>(std::move(*list));
      }
    }
  }

  InsertCodeModel Model() { return InsertCodeModel(self_blocks_, market_, kColours); }

  static std::optional<size_t> NodeNamed(const InsertCodeModel& model, std::u16string_view text) {
    const std::vector<CodeTreeNode>& nodes = model.tree().nodes();
    for (size_t i = 0; i < nodes.size(); ++i) {
      if (nodes[i].text == text) return i;
    }
    return std::nullopt;
  }

  static std::vector<std::u16string> Codes(const ReportList& list) {
    std::vector<std::u16string> codes;
    for (size_t row = 0; row < list.GetItemCount(); ++row) codes.emplace_back(list.ItemText(row, InsertCodeModel::kCodeColumn));
    return codes;
  }

  static void AddSelectedRow(InsertCodeModel& model, std::u16string code) {
    ReportList& selected = model.selected();
    const std::optional<size_t> row = selected.InsertItem(selected.GetItemCount(), std::move(code));
    ASSERT_TRUE(row);
  }

  std::shared_ptr<CSelfBlockList> self_blocks_;
  std::shared_ptr<const CBlockData> market_;
};

TEST_F(InsertCodeModelTest, BothListsHaveTheCodeAndNameColumns) {
  const InsertCodeModel model = Model();
  for (const ReportList* list : {&model.candidates(), &model.selected()}) {
    ASSERT_EQ(list->column_count(), 2u);
    EXPECT_EQ(list->Heading(0), u"证券代码");
    EXPECT_EQ(list->Heading(1), u"证券简称");
  }
  EXPECT_EQ(model.fill_direction(), FillDirection::kDownTheColumn);
}

TEST_F(InsertCodeModelTest, ACategoryListsItsMembersOfItsOwnSchemeWithNames) {
  InsertCodeModel model = Model();
  model.FillCandidates(NodeNamed(model, u"银行[ 801780 ]"));
  EXPECT_EQ(Codes(model.candidates()),
            (std::vector<std::u16string>{u"600000.sh", u"000001.sz", u"600036.sh", u"601398.sh", u"000002.sz"}));
  EXPECT_EQ(model.candidates().ItemText(0, InsertCodeModel::kNameColumn), u"浦发银行");
  // The scheme-2 category of the same code lists only its own member.
  model.FillCandidates(NodeNamed(model, u"同码"));
  EXPECT_EQ(Codes(model.candidates()), (std::vector<std::u16string>{u"60000"}));
}

TEST_F(InsertCodeModelTest, TheRootACategoryWithoutMembersOrNoNodeLeaveTheCandidatesEmpty) {
  InsertCodeModel model = Model();
  const std::optional<size_t> bank = NodeNamed(model, u"银行[ 801780 ]");
  for (const std::u16string_view empty : {u"自选股", u"空[ 801790 ]", u"申万行业"}) {
    model.FillCandidates(bank);
    ASSERT_EQ(model.candidates().GetItemCount(), 5u);
    model.FillCandidates(NodeNamed(model, empty));
    EXPECT_EQ(model.candidates().GetItemCount(), 0u);
  }
  // No item selected: nothing happens.
  model.FillCandidates(bank);
  model.FillCandidates(std::nullopt);
  EXPECT_EQ(model.candidates().GetItemCount(), 5u);
}

TEST_F(InsertCodeModelTest, ABlockListsTheStocksFoundAndMarksTheOthersOnce) {
  InsertCodeModel model = Model();
  model.FillCandidates(NodeNamed(model, u"自选股一"));
  EXPECT_EQ(Codes(model.candidates()), (std::vector<std::u16string>{u"600036.sh", u"600000.sh"}));
  EXPECT_EQ(model.candidates().ItemText(0, InsertCodeModel::kNameColumn), u"招商银行");
  const std::vector<SelfStock>& stocks = self_blocks_->groups()[0].blocks[0].stocks;
  EXPECT_EQ(stocks[0].resolved.get(), static_cast<int64_t>(*FindSecurityIndex(market_->securities(), "600036.sh")));
  EXPECT_EQ(stocks[1].resolved.get(), ResolvedSecurity::kNotFound);
  // What a stock resolved to is not looked up again.
  self_blocks_->groups()[0].blocks[0].stocks[2].resolved.set(ResolvedSecurity::kNotFound);
  model.FillCandidates(NodeNamed(model, u"自选股一"));
  EXPECT_EQ(Codes(model.candidates()), (std::vector<std::u16string>{u"600036.sh"}));
}

TEST_F(InsertCodeModelTest, ABlockWhoseCodesAreAllAbsentListsNothing) {
  InsertCodeModel model = Model();
  model.FillCandidates(NodeNamed(model, u"银行[ 801780 ]"));
  model.FillCandidates(NodeNamed(model, u"Gone"));
  EXPECT_EQ(model.candidates().GetItemCount(), 0u);
  model.AddAllCandidates();
  EXPECT_EQ(model.selected().GetItemCount(), 0u);
}

TEST_F(InsertCodeModelTest, WithoutMarketDataABlockListsNothingAndResolvesNothing) {
  InsertCodeModel model(self_blocks_, nullptr, kColours);
  ASSERT_EQ(model.tree().nodes().size(), 3u);
  model.FillCandidates(NodeNamed(model, u"自选股一"));
  EXPECT_EQ(model.candidates().GetItemCount(), 0u);
  EXPECT_EQ(self_blocks_->groups()[0].blocks[0].stocks[0].resolved.get(), ResolvedSecurity::kUnknown);
}

TEST_F(InsertCodeModelTest, AMemberNamingNoSecurityIsSkipped) {
  terminal::MarketLayout layout;
  layout.securities = {{"000001.sz", "平安银行", ""}, {"600000.sh", "浦发银行", ""}};
  layout.categories = {{false, false, 1, "", "B", "bank", ""}};
  layout.members = {{"B", 1, 1}, {"", 0, 7}, {"", 0, 0}};
  InsertCodeModel model(nullptr, DecodeMarket(terminal::EncodeMarketData(layout)), kColours);
  ASSERT_EQ(model.tree().nodes().size(), 1u);
  model.FillCandidates(0);
  EXPECT_EQ(Codes(model.candidates()), (std::vector<std::u16string>{u"600000.sh", u"000001.sz"}));
}

TEST_F(InsertCodeModelTest, AddingAllTwiceAddsEachSecurityOnce) {
  InsertCodeModel model = Model();
  model.FillCandidates(NodeNamed(model, u"银行[ 801780 ]"));
  model.AddAllCandidates();
  model.AddAllCandidates();
  EXPECT_EQ(Codes(model.selected()), Codes(model.candidates()));
  EXPECT_EQ(model.selected().ItemText(4, InsertCodeModel::kNameColumn), u"万科A");
}

TEST_F(InsertCodeModelTest, ACodeThatBeginsASelectedCodeIsNotAdded) {
  InsertCodeModel model = Model();
  AddSelectedRow(model, u"600000.SH");
  model.FillCandidates(NodeNamed(model, u"同码"));
  model.AddAllCandidates();
  EXPECT_EQ(Codes(model.selected()), (std::vector<std::u16string>{u"600000.SH"}));
  model.FillCandidates(NodeNamed(model, u"银行[ 801780 ]"));
  model.AddAllCandidates();  // 600000.sh is there already, in other letter case
  EXPECT_EQ(Codes(model.selected()),
            (std::vector<std::u16string>{u"600000.SH", u"000001.sz", u"600036.sh", u"601398.sh", u"000002.sz"}));
}

TEST_F(InsertCodeModelTest, TheDuplicateCheckAgreesWithTheListsOwnFind) {
  InsertCodeModel model = Model();
  for (const char16_t* code : {u"600000.SH", u"AbC1", u"7"}) AddSelectedRow(model, code);
  ReportList expected = model.selected();
  for (const char16_t* code : {u"6", u"600000.sh", u"6000001", u"abc", u"ABC12", u"aBc1", u"ab", u"71", u"7", u"b", u"71",
                               u"", u"600000.sh.x", u"8"}) {
    ASSERT_TRUE(model.candidates().InsertItem(model.candidates().GetItemCount(), code));
    if (!expected.FindPartialText(code)) expected.InsertItem(expected.GetItemCount(), code);
  }
  model.AddAllCandidates();
  EXPECT_EQ(Codes(model.selected()), Codes(expected));
  EXPECT_EQ(Codes(model.selected()), (std::vector<std::u16string>{u"600000.SH", u"AbC1", u"7", u"6000001", u"ABC12",
                                                                  u"71", u"b", u"600000.sh.x", u"8"}));
}

TEST_F(InsertCodeModelTest, AddingTheSelectedCandidatesKeepsTheirOrder) {
  InsertCodeModel model = Model();
  model.FillCandidates(NodeNamed(model, u"银行[ 801780 ]"));
  model.candidates().SetItemStates(3, kRowSelected);
  model.candidates().SetItemStates(1, kRowSelected);
  model.AddSelectedCandidates();
  EXPECT_EQ(Codes(model.selected()), (std::vector<std::u16string>{u"000001.sz", u"601398.sh"}));
}

TEST_F(InsertCodeModelTest, RemovingTheSelectedRowsLeavesTheOthersInOrder) {
  InsertCodeModel model = Model();
  model.FillCandidates(NodeNamed(model, u"银行[ 801780 ]"));
  model.AddAllCandidates();
  ReportList& selected = model.selected();
  for (const size_t row : {0u, 1u, 2u}) selected.SetItemStates(row, kRowSelected);  // 600000.sh 000001.sz 600036.sh
  model.RemoveSelected();
  EXPECT_EQ(Codes(selected), (std::vector<std::u16string>{u"601398.sh", u"000002.sz"}));
  model.RemoveAll();
  EXPECT_EQ(selected.GetItemCount(), 0u);
}

TEST_F(InsertCodeModelTest, TheTableRunsDownOrAlongAsTheDirectionSays) {
  InsertCodeModel model = Model();
  EXPECT_TRUE(model.CodesTable().empty());
  for (const char16_t* code : {u"600000.sh", u"000001.sz", u"600036.sh"}) AddSelectedRow(model, code);
  const SheetTable down = model.CodesTable();
  EXPECT_EQ(down.rows(), 3u);
  EXPECT_EQ(down.columns(), 1u);
  EXPECT_EQ(down.At(2, 0), SheetValue(std::u16string(u"600036.sh")));
  model.SetFillDirection(FillDirection::kAlongTheRow);
  const SheetTable along = model.CodesTable();
  EXPECT_EQ(along.rows(), 1u);
  EXPECT_EQ(along.columns(), 3u);
  EXPECT_EQ(along.At(0, 0), SheetValue(std::u16string(u"600000.sh")));
  EXPECT_EQ(along.At(0, 1), SheetValue(std::u16string(u"000001.sz")));
  model.RemoveAll();
  EXPECT_TRUE(model.CodesTable().empty());
}

TEST(InsertCodeModelStoreTest, TheTreeStaysUsableAfterTheStoreLoadsOtherData) {
  testing::TestEnv env;
  testing::ScratchFolder folder;
  folder.WriteTerminal(Terminal());
  COrraData store(env);
  store.SetDataDirectory(folder.directory());
  store.Load();
  InsertCodeModel model(store.SelfBlocks(), store.MarketData(), kColours);
  const std::weak_ptr<const CBlockData> first_market = store.MarketData();

  folder.WriteTerminal(json::parse(R"({
    "securities": [["300750.sz", "宁德时代"]],
    "market": {"schemes": [{"scheme": 5, "categories": [{"code": "N", "name": "新能源", "members": ["300750.sz"]}]}]},
    "self_blocks": [{"group": "市场导航", "blocks": [{"name": "新的", "stocks": ["300750.sz"]}]}]})"));
  store.Load();
  ASSERT_EQ(store.MarketData()->securities().size(), 1u);
  ASSERT_FALSE(first_market.expired());

  const std::optional<size_t> bank = [&]() -> std::optional<size_t> {
    for (size_t i = 0; i < model.tree().nodes().size(); ++i) {
      if (model.tree().nodes()[i].text == u"银行[ 801780 ]") return i;
    }
    return std::nullopt;
  }();
  ASSERT_TRUE(bank);
  EXPECT_EQ(model.tree().nodes()[*bank].category->wide_name, u"银行");
  model.FillCandidates(bank);
  EXPECT_EQ(model.candidates().GetItemCount(), 5u);
  EXPECT_EQ(model.candidates().ItemText(0, InsertCodeModel::kNameColumn), u"浦发银行");
  model.FillCandidates(1);  // 自选股一, from the first load's blocks
  EXPECT_EQ(model.candidates().GetItemCount(), 2u);
}

}  // namespace
}  // namespace orra
