#include "request/store_indicator_variables.h"

#include <gtest/gtest.h>

#include "request/topic_parser.h"
#include "store/store_files.h"
#include "testing/scratch_folder.h"
#include "testing/test_env.h"

namespace orra {
namespace {

const std::u16string kCaller = u"'[Book1.xlsx]Sheet1'!B2";

class StoreIndicatorVariablesTest : public ::testing::Test {
 protected:
  StoreIndicatorVariablesTest() {
    folder_.WriteTerminal(nlohmann::json::parse(R"({
      "indicators": {"tree": [{"folder": "F", "children": [
        {"name": "1001", "service": "stock.pe"}, {"name": "close", "service": "stock.close"},
        {"name": "Adj", "service": "stock.adj"}]}]},
      "parameters": {"tree": [
        {"name": "tradedate", "control": "date", "default": "-1010"},
        {"id": 1001, "name": "pe_ttm", "control": "date", "default": "-1010"},
        {"folder": "ADJ", "children": [{"name": "unit", "default": "1"}]}]}
    })"));
    store_.SetDataDirectory(folder_.directory());
    store_.Load();
  }

  tagRequest Parse(const std::u16string& indicator) {
    tagRequest record(1);
    EXPECT_TRUE(ParseTopics({kCaller, u"0", u"600000", indicator}, record, &variables_));
    return record;
  }

  testing::ScratchFolder folder_;
  testing::TestEnv env_;
  COrraData store_{env_};
  StoreIndicatorVariables variables_{store_};
};

TEST_F(StoreIndicatorVariablesTest, AnIndicatorNamedByAParameterIdGetsItsDefaultUnresolved) {
  EXPECT_FALSE(store_.FindVariable(u"1001"));
  Parse(u"1001");
  EXPECT_EQ(store_.FindVariable(u"1001"), u"-1010");
}

TEST_F(StoreIndicatorVariablesTest, TheNameFindsAnyRecordWithAsciiCaseFolded) {
  Parse(u"Adj");  // the folder record "ADJ" of the system dictionary
  EXPECT_EQ(store_.FindVariable(u"Adj"), u"");
}

TEST_F(StoreIndicatorVariablesTest, ExistingVariablesAndUnknownIndicatorsStayAsTheyAre) {
  store_.SetVariable(u"1001", u"kept");
  Parse(u"1001");
  EXPECT_EQ(store_.FindVariable(u"1001"), u"kept");
  Parse(u"close");  // an indicator without a parameter record of its name or number
  EXPECT_FALSE(store_.FindVariable(u"close"));
  // A parameter, but no indicator: it keeps the value the load gave it.
  const std::optional<std::u16string> loaded = store_.FindVariable(u"tradedate");
  ASSERT_TRUE(loaded);
  Parse(u"tradedate");
  EXPECT_EQ(store_.FindVariable(u"tradedate"), loaded);
}

}  // namespace
}  // namespace orra
