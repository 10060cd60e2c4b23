#include "request/cell_messages.h"

#include <gtest/gtest.h>

#include <thread>

namespace orra {
namespace {

class CellMessages : public ::testing::Test {
 protected:
  std::u16string TextFor(uint8_t status, FunctionShape shape) const {
    const auto message = MessageForStatus(status, shape);
    return message ? std::u16string(messages.Text(*message)) : u"<value>";
  }

  CellMessageTable messages;
};

TEST_F(CellMessages, StatusRuleForSingleValueAndArrayFunctions) {
  const auto single = FunctionShape::kSingleValue;
  const auto array = FunctionShape::kArray;
  EXPECT_EQ(TextFor(0, single), u"Fetching...");
  EXPECT_EQ(TextFor(1, single), u"<value>");
  EXPECT_EQ(TextFor(3, single), u"#Login?");
  EXPECT_EQ(TextFor(6, single), u"#System?");
  EXPECT_EQ(TextFor(9, single), u"#NOINDEX?");
  EXPECT_EQ(TextFor(12, single), u"#Permission?");
  EXPECT_EQ(TextFor(2, single), u"#System?");
  EXPECT_EQ(TextFor(200, single), u"#System?");

  EXPECT_EQ(TextFor(0, array), u"Fetching...");
  EXPECT_EQ(TextFor(1, array), u"Fetching...");
  EXPECT_EQ(TextFor(3, array), u"#Login?");
  EXPECT_EQ(TextFor(6, array), u"#System?");
  EXPECT_EQ(TextFor(9, array), u"Fetching...");
  EXPECT_EQ(TextFor(12, array), u"Fetching...");
  EXPECT_EQ(TextFor(2, array), u"Fetching...");
}

TEST_F(CellMessages, DeveloperTextsReplaceTwelveEntries) {
  EXPECT_FALSE(messages.UsingDeveloperTexts());
  EXPECT_EQ(messages.Text(CellMessage::kQuoteParam), u"#Param?");
  messages.UseDeveloperTexts();
  EXPECT_TRUE(messages.UsingDeveloperTexts());
  EXPECT_EQ(TextFor(6, FunctionShape::kSingleValue), u"Timeout");
  EXPECT_EQ(messages.Text(CellMessage::kNoData), u"NODATA");
  EXPECT_EQ(messages.Text(CellMessage::kNoIndex), u"NOINDEX");
  EXPECT_EQ(messages.Text(CellMessage::kError), u"#Error!");
  EXPECT_EQ(messages.Text(CellMessage::kFixedParam), u"#FixedParam?");
  EXPECT_EQ(messages.Text(CellMessage::kQuoteParam), u"#QutoeParam?");
  EXPECT_EQ(messages.Text(CellMessage::kDataTypeError), u"Data Type Error");
  EXPECT_EQ(messages.Text(CellMessage::kIndexSizeZero), u"Index Size Zero");
  EXPECT_EQ(messages.Text(CellMessage::kNoFunctionType), u"No Function Type");
  EXPECT_EQ(messages.Text(CellMessage::kPermission), u"#Permission?");
  EXPECT_EQ(messages.Text(CellMessage::kFetching), u"Fetching...");
}

TEST_F(CellMessages, ReadersDuringTheSwitchSeeOneWholeTable) {
  std::thread reader([this] {
    for (int i = 0; i < 10000; ++i) {
      const auto text = messages.Text(CellMessage::kTimeout);
      ASSERT_TRUE(text == u"#System?" || text == u"Timeout");
    }
  });
  messages.UseDeveloperTexts();
  reader.join();
  EXPECT_EQ(messages.Text(CellMessage::kTimeout), u"Timeout");
}

}  // namespace
}  // namespace orra
