#include "store/orra_data.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "common/text_conversion.h"
#include "store/store_files.h"
#include "testing/literal_bytes.h"
#include "testing/scratch_folder.h"
#include "testing/test_env.h"

namespace orra {
namespace {

using nlohmann::json;
using testing::Gbk;

json Description() {
  return json::parse(R"({
    "indicators": {"tree": [
      {"folder": "行情", "children": [
        {"name": "close", "value_kind": 2, "decimals": 2, "alignment": 2, "params": ["tradedate", "priceadj"], "service": "stock.close"},
        {"folder": "估值", "children": [{"name": "市盈率", "value_kind": 2, "params": ["tradedate"], "service": "stock.pe"}]}]},
      {"name": "Name", "value_kind": 0, "service": "stock.name"}]},
    "parameters": {"tree": [
      {"name": "TradeDate", "control": "date", "caption": "交易日期", "default": "-1010"},
      {"name": "priceadj", "control": "choice", "caption": "复权", "choices": [["前复权", "F"], ["后复权", "B"]]},
      {"name": "startdate", "control": "date", "default": "20200101"},
      {"name": "close", "control": "text", "default": "-1010"},
      {"name": "TradeDate", "control": "text", "default": "second"}]},
    "securities": [["600000.sh", "浦发银行"], ["000001.sz", "平安银行"]],
    "market": {"names_from_key_index": true, "schemes": [{"scheme": 3, "categories": [
      {"code": "A", "name": "A股", "children": [{"code": "sh", "name": "上证", "members": ["600000.sh"]}]}]}]},
    "self_blocks": [{"group": "市场导航", "blocks": [{"name": "自选股一", "stocks": ["600000.sh"]}]}]
  })");
}

class COrraDataTest : public ::testing::Test {
 protected:
  static LocalDateTime Today() {
    LocalDateTime now;
    now.year = 2024;
    now.month = 3;
    now.day = 5;
    now.hour = 10;
    return now;
  }

  void Load(COrraData& store) {
    store.SetDataDirectory(folder_.directory());
    store.Load();
  }

  testing::TestEnv env_{Today()};
  testing::ScratchFolder folder_;
};

TEST_F(COrraDataTest, LoadsWhatTheTerminalWrote) {
  folder_.WriteTerminal(Description());
  COrraData store(env_);
  Load(store);
  ASSERT_EQ(store.Indicators()->size(), 3u);
  const std::optional<IndicatorDescriptor> close = store.FindIndicator(u"close");
  ASSERT_TRUE(close);
  EXPECT_EQ(close->service, "stock.close");
  EXPECT_EQ(close->parameters, (std::vector<std::string>{"tradedate", "priceadj"}));
  EXPECT_TRUE(store.FindIndicator(u"市盈率"));
  EXPECT_FALSE(store.FindIndicator(u"CLOSE"));

  EXPECT_EQ(store.FindVariable(u"TradeDate"), u"20240224");
  EXPECT_EQ(store.FindVariable(u"priceadj"), u"F");
  EXPECT_EQ(store.FindVariable(u"startdate"), u"20200101");
  EXPECT_EQ(store.FindVariable(u"close"), u"-1010");  // free text keeps what looks like a code
  EXPECT_EQ(store.Variables().size(), 4u);

  ASSERT_NE(store.MarketData(), nullptr);
  EXPECT_EQ(store.MarketData()->securities()[1].name, u"浦发银行");  // borrowed from the key index
  ASSERT_NE(store.SelfBlocks(), nullptr);
  EXPECT_EQ(store.SelfBlocks()->groups()[0].blocks[0].stocks.size(), 1u);
}

TEST_F(COrraDataTest, FindParameterByFoldedNameThenById) {
  folder_.WriteTerminal(Description());
  COrraData store(env_);
  Load(store);
  const std::optional<RecordRef> by_name = store.FindParameter("TRADEDATE", 0);
  ASSERT_TRUE(by_name);
  EXPECT_EQ(by_name->view().id, 1);
  const std::optional<RecordRef> by_id = store.FindParameter("nothing", 2);
  ASSERT_TRUE(by_id);
  EXPECT_EQ(by_id->view().name, "priceadj");
  EXPECT_FALSE(store.FindParameter("nothing", 0));
  EXPECT_FALSE(store.FindParameter("", 99));
  const ChoiceList choices = COrraData::ParseChoiceList(by_id->view());
  ASSERT_EQ(choices.size(), 2u);
  EXPECT_EQ(choices[1].display(), u"后复权");
}

TEST_F(COrraDataTest, VariablesAndClearing) {
  folder_.WriteTerminal(Description());
  COrraData store(env_);
  Load(store);
  store.SetVariable(u"@@UserName", u"alice");
  store.SetVariable(u"@@UserName", u"bob");
  store.AddVariable(u"@@UserName", u"carol");
  EXPECT_EQ(store.FindVariable(u"@@UserName"), u"bob");
  const auto market = store.MarketData();
  store.ClearDictionaries();
  EXPECT_TRUE(store.IndicatorDictionaryEmpty());
  EXPECT_FALSE(store.FindVariable(u"@@UserName"));
  EXPECT_FALSE(store.FindIndicator(u"close"));
  EXPECT_EQ(store.MarketData(), market);
  EXPECT_EQ(store.SystemDictionary()->count(), 5u);
}

TEST_F(COrraDataTest, AReloadKeepsThePreviousKeyIndexAndMarketDataWhenTheirFilesAreGone) {
  folder_.WriteTerminal(Description());
  COrraData store(env_);
  Load(store);
  const std::shared_ptr<const CBlockData> first_market = store.MarketData();
  const std::shared_ptr<const CKeyIndex> first_index = store.KeyIndex();
  const std::shared_ptr<CSelfBlockList> first_blocks = store.SelfBlocks();
  folder_.Write(std::u16string(kKeyIndexName), std::string(137, 'x'));
  folder_.Write(std::u16string(kMarketDataName), std::string(189, 'x'));
  store.Load();
  EXPECT_EQ(store.KeyIndex(), first_index);
  EXPECT_EQ(store.MarketData(), first_market);
  EXPECT_NE(store.SelfBlocks(), first_blocks);

  folder_.Write(std::u16string(kMarketDataName), std::string(190, '\0'));
  store.Load();
  ASSERT_NE(store.MarketData(), first_market);
  EXPECT_TRUE(store.MarketData()->securities().empty());
  // What a dialog kept from the first load is still whole.
  EXPECT_EQ(first_market->securities().size(), 2u);
}

TEST_F(COrraDataTest, AnIndicatorFileWithoutLeavesLeavesTheDictionaryEmpty) {
  json description = Description();
  description["indicators"]["tree"] = json::parse(R"([{"folder": "empty"}])");
  folder_.WriteTerminal(description);
  COrraData store(env_);
  Load(store);
  EXPECT_TRUE(store.IndicatorDictionaryEmpty());
  EXPECT_EQ(store.IndicatorFile()->count(), 1u);
}

TEST_F(COrraDataTest, ASystemDictionaryOfAnotherPayloadSizeIsRewrittenAtTheEnd) {
  json description = Description();
  description["parameters"]["payload_size"] = 200;
  description["parameters"]["revision"] = 6;
  folder_.WriteTerminal(description);
  const std::u16string dictionary(kSystemDictionaryName);
  const std::u16string indicators(kIndicatorFileName);
  const std::vector<uint8_t> indicator_bytes = folder_.Read(indicators);
  {
    COrraData store(env_);
    Load(store);
    // Converted payloads lose nothing the store reads.
    EXPECT_EQ(store.FindVariable(u"priceadj"), u"F");
    EXPECT_EQ(store.FindVariable(u"TradeDate"), u"20240224");
    EXPECT_TRUE(store.SystemDictionary()->NeedsRewrite());
  }
  const std::vector<uint8_t> rewritten = folder_.Read(dictionary);
  CRecordFile reread(u"", kParameterPayloadSize);
  reread.Decode(rewritten);
  EXPECT_EQ(reread.count(), 5u);
  EXPECT_EQ(reread.file_payload_size(), 204);
  EXPECT_EQ(reread.revision(), 6);
  EXPECT_FALSE(reread.NeedsRewrite());
  EXPECT_EQ(folder_.Read(indicators), indicator_bytes);  // written with 38: never rewritten
}

TEST_F(COrraDataTest, WithWritesOffNoFileIsTouched) {
  json description = Description();
  description["parameters"]["payload_size"] = 200;
  description.erase("self_blocks");
  folder_.WriteTerminal(description);
  const std::vector<uint8_t> before = folder_.Read(std::u16string(kSystemDictionaryName));
  {
    COrraData store(env_);
    store.SetWritesAllowed(false);
    Load(store);
    ASSERT_NE(store.SelfBlocks(), nullptr);  // the default, in memory only
    EXPECT_TRUE(store.SaveRecordFiles());
  }
  EXPECT_EQ(folder_.Read(std::u16string(kSystemDictionaryName)), before);
  EXPECT_FALSE(folder_.Exists(std::u16string(kSelfBlockName)));
}

TEST_F(COrraDataTest, TheDataDirectoryComesAsGbkAndMayHaveChineseLetters) {
  testing::ScratchFolder chinese(u"终端数据");
  chinese.WriteTerminal(Description());
  COrraData store(env_);
  store.SetDataDirectory(std::string_view(ToNarrowString(chinese.directory())));
  store.Load();
  EXPECT_TRUE(store.FindIndicator(u"close"));
}

TEST_F(COrraDataTest, LookupsOnOtherThreadsSeeWholeLoads) {
  folder_.WriteTerminal(Description());
  COrraData store(env_);
  Load(store);
  std::atomic<bool> done{false};
  std::atomic<int> misses{0};
  std::thread reader([&] {
    for (int i = 0; i < 20000 && !done.load(); ++i) {
      const std::optional<IndicatorDescriptor> close = store.FindIndicator(u"close");
      if (close && close->service != "stock.close") ++misses;
      const auto market = store.MarketData();
      if (market && market->securities().size() != 2) ++misses;
    }
  });
  for (int i = 0; i < 20; ++i) {
    store.ClearDictionaries();
    store.Load();
  }
  done = true;
  reader.join();
  EXPECT_EQ(misses.load(), 0);
}

}  // namespace
}  // namespace orra
