#include "request/cell_messages.h"

#include <gtest/gtest.h>

#include <thread>

namespace orra {
namespace {

std::u16string TextFor(uint8_t status, FunctionShape shape) {
  const auto message = MessageForStatus(status, shape);
  return message ? std::u16string(CellMessageTable::Text(*message)) : u"<value>";
}

class CellMessages : public ::testing::Test {
 protected:
  void TearDown() override { CellMessageTable::UseStandardTextsForTesting(); }
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
  EXPECT_FALSE(CellMessageTable::UsingDeveloperTexts());
  EXPECT_EQ(CellMessageTable::Text(CellMessage::kQuoteParam), u"#Param?");
  CellMessageTable::UseDeveloperTexts();
  EXPECT_TRUE(CellMessageTable::UsingDeveloperTexts());
  EXPECT_EQ(TextFor(6, FunctionShape::kSingleValue), u"Timeout");
  EXPECT_EQ(CellMessageTable::Text(CellMessage::kNoData), u"NODATA");
  EXPECT_EQ(CellMessageTable::Text(CellMessage::kNoIndex), u"NOINDEX");
  EXPECT_EQ(CellMessageTable::Text(CellMessage::kError), u"#Error!");
  EXPECT_EQ(CellMessageTable::Text(CellMessage::kFixedParam), u"#FixedParam?");
  EXPECT_EQ(CellMessageTable::Text(CellMessage::kQuoteParam), u"#QutoeParam?");
  EXPECT_EQ(CellMessageTable::Text(CellMessage::kDataTypeError), u"Data Type Error");
  EXPECT_EQ(CellMessageTable::Text(CellMessage::kIndexSizeZero), u"Index Size Zero");
  EXPECT_EQ(CellMessageTable::Text(CellMessage::kNoFunctionType), u"No Function Type");
  EXPECT_EQ(CellMessageTable::Text(CellMessage::kPermission), u"#Permission?");
  EXPECT_EQ(CellMessageTable::Text(CellMessage::kFetching), u"Fetching...");
}

TEST_F(CellMessages, ReadersDuringTheSwitchSeeOneWholeTable) {
  std::thread reader([] {
    for (int i = 0; i < 10000; ++i) {
      const auto text = CellMessageTable::Text(CellMessage::kTimeout);
      ASSERT_TRUE(text == u"#System?" || text == u"Timeout");
    }
  });
  CellMessageTable::UseDeveloperTexts();
  reader.join();
  EXPECT_EQ(CellMessageTable::Text(CellMessage::kTimeout), u"Timeout");
}

}  // namespace
}  // namespace orra
