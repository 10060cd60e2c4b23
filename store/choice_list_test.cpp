#include "store/choice_list.h"

#include <gtest/gtest.h>

#include "store/orra_data.h"
#include "testing/literal_bytes.h"
#include "testing/terminal_files.h"

namespace orra {
namespace {

ChoiceList Parse(const std::string& text) { return ParseChoiceList(testing::BytesOf(text)); }

TEST(ChoiceListTest, ItemsEndAtBarsAndSplitAtHashes) {
  const ChoiceList items = Parse(testing::Gbk("不复权#0#a#b|前复权#1##|tail"));
  ASSERT_EQ(items.size(), 2u);
  EXPECT_EQ(items[0].display(), u"不复权");
  EXPECT_EQ(items[0].value(), u"0");
  EXPECT_EQ(items[0].subfields[3], u"b");
  EXPECT_EQ(items[1].display(), u"前复权");
  EXPECT_EQ(items[1].value(), u"1");
}

TEST(ChoiceListTest, NoBarShortTextAndEmptyItemsEndTheList) {
  EXPECT_TRUE(Parse("a#1").empty());
  EXPECT_TRUE(Parse("|").empty());
  EXPECT_TRUE(Parse("").empty());
  EXPECT_EQ(Parse("a#1|b#2||c#3|").size(), 2u);
  // Reading stops after as many items as asked for.
  const ChoiceList first = ParseChoiceList(testing::BytesOf("a#1|b#2|c#3|"), 1);
  ASSERT_EQ(first.size(), 1u);
  EXPECT_EQ(first[0].value(), u"1");
  EXPECT_EQ(ParseChoiceList(testing::BytesOf("a#1|b#2|"), 2).size(), 2u);
  EXPECT_TRUE(ParseChoiceList(testing::BytesOf("a#1|b#2|"), 0).empty());
  const ChoiceList only_display = Parse("plain|");
  ASSERT_EQ(only_display.size(), 1u);
  EXPECT_EQ(only_display[0].value(), u"");
}

TEST(ChoiceListTest, SubfieldsAreCutTo63Characters) {
  const ChoiceList items = Parse(std::string(100, 'x') + "#v|");
  ASSERT_EQ(items.size(), 1u);
  EXPECT_EQ(items[0].display().size(), 63u);
}

TEST(ChoiceListTest, AnEmptyFieldOneTakesTheListFromFieldFivesLengthAfterFieldZero) {
  terminal::RecordLayout layout;
  layout.id = 1;
  layout.name = "p";
  layout.payload = terminal::ParameterPayload(0, "", "");
  layout.fields = {"zz", "", "", "", "", "a#1|b#2|"};
  const std::vector<uint8_t> file = terminal::EncodeRecordFile(204, 1, {layout});
  CRecordFile records(u"", 204);
  records.Decode(file);
  ASSERT_EQ(records.count(), 1u);
  const ChoiceList items = COrraData::ParseChoiceList(records.At(0));
  ASSERT_EQ(items.size(), 2u);
  EXPECT_EQ(items[1].value(), u"2");
}

}  // namespace
}  // namespace orra
