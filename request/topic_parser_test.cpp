#include "request/topic_parser.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <map>

#include "common/text_conversion.h"

namespace orra {
namespace {

using Topics = std::vector<std::u16string>;
const std::u16string kCaller = u"'[Book1.xlsx]Sheet1'!B2";

class FakeStore : public IndicatorVariableSource {
 public:
  bool HasVariable(std::u16string_view name) const override { return variables.count(std::u16string(name)) != 0; }
  bool HasIndicator(std::u16string_view name) const override { return indicators.count(std::u16string(name)) != 0; }
  std::optional<std::string> ParameterDefaultByName(std::string_view gbk_name) const override {
    auto it = by_name.find(std::string(gbk_name));
    return it == by_name.end() ? std::nullopt : std::optional(it->second);
  }
  std::optional<std::string> ParameterDefaultById(int32_t id) const override {
    auto it = by_id.find(id);
    return it == by_id.end() ? std::nullopt : std::optional(it->second);
  }
  void AddVariable(std::u16string_view name, std::u16string_view value) override {
    variables.emplace(std::u16string(name), std::u16string(value));
  }

  std::map<std::u16string, std::u16string> variables;
  std::map<std::u16string, int> indicators;
  std::map<std::string, std::string> by_name;
  std::map<int32_t, std::string> by_id;
};

tagRequest Parse(const Topics& topics, bool expect_ok = true, IndicatorVariableSource* store = nullptr) {
  tagRequest record(7);
  EXPECT_EQ(ParseTopics(topics, record, store), expect_ok);
  return record;
}

TEST(TopicParser, FunctionZeroTakesCodeAndIndicatorByPosition) {
  const tagRequest r = Parse({kCaller, u"0", u"600000", u"close"});
  EXPECT_EQ(r.function_id, 0);
  EXPECT_EQ(r.CallerAddress(), kCaller);
  EXPECT_EQ(r.IndicatorName(), u"close");
  EXPECT_EQ(r.ServiceName(), u"xdbr");
  EXPECT_EQ(r.topic_id, 7);
  EXPECT_EQ(r.parameters, (RequestParameters{{u"@seccode@", u"600000.sh"}}));
  EXPECT_EQ(r.Status(), RequestStatus::kPending);
  EXPECT_EQ(r.connected, 1);
  EXPECT_EQ(r.delivered, 0);
  EXPECT_FALSE(r.result);
}

TEST(TopicParser, SixCharacterCodesGetTheirMarket) {
  EXPECT_EQ(NormaliseSecurityCode(u"600000"), u"600000.sh");
  EXPECT_EQ(NormaliseSecurityCode(u"000001"), u"000001.sz");
  EXPECT_EQ(NormaliseSecurityCode(u"IF2412"), u"IF2412.sz");
  EXPECT_EQ(NormaliseSecurityCode(u"60000"), u"60000");
  EXPECT_EQ(NormaliseSecurityCode(u"6000001"), u"6000001");
  EXPECT_EQ(NormaliseSecurityCode(u"600000.sh"), u"600000.sh");
  EXPECT_EQ(NormaliseSecurityCode(u""), u"");
}

TEST(TopicParser, NamedParametersSplitAtTheFirstEqualsAndNeverOverwrite) {
  const tagRequest r = Parse({kCaller, u"0", u"000001", u"close", u"STARTDATE", u"startdate=20200101", u"a=b=c",
                              u"=x", u"k=1", u"k=2", u"@seccode@=999999", u"empty="});
  EXPECT_EQ(r.parameters, (RequestParameters{{u"@seccode@", u"000001.sz"},
                                             {u"startdate", u"20200101"},
                                             {u"a", u"b=c"},
                                             {u"", u"x"},
                                             {u"k", u"1"},
                                             {u"empty", u""}}));
  EXPECT_EQ(r.parameters.count(u"STARTDATE"), 0u);
}

TEST(TopicParser, OtherFunctionsHaveNoPositionalTopics) {
  const tagRequest r = Parse({kCaller, u"12", u"600000", u"x=1"});
  EXPECT_EQ(r.function_id, 12);
  EXPECT_EQ(r.IndicatorName(), u"");
  EXPECT_EQ(r.parameters, (RequestParameters{{u"x", u"1"}}));
}

TEST(TopicParser, FunctionIdIsTheLowByteOfTopicOne) {
  EXPECT_EQ(Parse({kCaller, u"34"}).function_id, 34);
  Parse({kCaller, u"35"}, false);
  Parse({kCaller, u"-1"}, false);  // low byte 255
  EXPECT_EQ(Parse({kCaller, u"256", u"600000", u"close"}).function_id, 0);
  EXPECT_EQ(Parse({kCaller, u"  +7"}).function_id, 7);
  EXPECT_EQ(Parse({kCaller, u"abc", u"1", u"x"}).function_id, 0) << "no digits gives 0";
  EXPECT_EQ(Parse({kCaller, u"3xyz"}).function_id, 3);
  Parse({kCaller, u"99999999999999999999"}, false);  // clamped to INT32_MAX: low byte 255
  EXPECT_EQ(Parse({kCaller, u"-99999999999999999999", u"600000", u"close"}).function_id, 0)
      << "clamped to INT32_MIN, low byte 0";
}

TEST(TopicParser, RefusesListsThatMakeNoRequest) {
  Parse({u"ab", u"1"}, false);
  Parse({kCaller}, false);
  Parse({}, false);
  Parse({kCaller, u"0", u"600000"}, false);
  Parse({kCaller, u"0"}, false);
  EXPECT_EQ(Parse({u"abc", u"1"}).CallerAddress(), u"abc");
}

TEST(TopicParser, LongCallerAddressIsCutLongIndicatorNameFails) {
  const std::u16string long_address = u"'[" + std::u16string(150, u'W') + u".xlsx]Sheet1'!A1";
  const tagRequest r = Parse({long_address, u"1"});
  EXPECT_EQ(r.CallerAddress(), long_address.substr(0, kMaxCallerAddressChars));
  EXPECT_EQ(r.caller_address[126], 0);
  EXPECT_EQ(r.caller_address[127], 0);

  const std::u16string name127(127, u'n');
  EXPECT_EQ(Parse({kCaller, u"0", u"600000", name127}).IndicatorName(), name127);
  Parse({kCaller, u"0", u"600000", name127 + u"n"}, false);
}

TEST(TopicParser, KnownIndicatorWithoutVariableGetsTheParameterDefault) {
  FakeStore store;
  store.indicators[u"市盈率"] = 1;
  store.by_name[ToNarrowString(u"市盈率")] = ToNarrowString(u"最新");
  Parse({kCaller, u"0", u"600000", u"市盈率"}, true, &store);
  EXPECT_EQ(store.variables[u"市盈率"], u"最新");

  // Found by number when the name is no parameter's name.
  store.indicators[u"1024"] = 1;
  store.by_id[1024] = std::string(300, 'd');
  Parse({kCaller, u"0", u"600000", u"1024"}, true, &store);
  EXPECT_EQ(store.variables[u"1024"], std::u16string(kMaxVariableValueChars, u'd'));
}

TEST(TopicParser, IndicatorVariableIsLeftAloneWhenAlreadySetOrUnknown) {
  FakeStore store;
  store.indicators[u"close"] = 1;
  store.variables[u"close"] = u"kept";
  store.by_name["close"] = "new";
  store.by_name["open"] = "new";
  Parse({kCaller, u"0", u"600000", u"close"}, true, &store);
  Parse({kCaller, u"0", u"600000", u"open"}, true, &store);  // not an indicator
  Parse({kCaller, u"0", u"600000", u"high"}, true, &store);  // an indicator with no record
  store.indicators[u"high"] = 1;
  Parse({kCaller, u"0", u"600000", u"high"}, true, &store);
  EXPECT_EQ(store.variables, (std::map<std::u16string, std::u16string>{{u"close", u"kept"}}));
}

}  // namespace
}  // namespace orra
