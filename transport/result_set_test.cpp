#include "transport/result_set.h"

#include <gtest/gtest.h>

#include <cmath>

#include "testing/result_set_writer.h"
#include "transport/query_reply.h"
#include "transport/wire_bytes.h"

namespace orra {
namespace {

std::vector<uint8_t> OneValueTable(uint16_t type, const std::vector<uint8_t>& value) {
  ResultSetWriter writer;
  writer.AddColumn("v", type);
  writer.AddRow({value});
  return writer.Finish();
}

std::u16string TextOf(uint16_t type, const std::vector<uint8_t>& value) {
  const auto bytes = OneValueTable(type, value);
  ResultSet table;
  EXPECT_TRUE(table.Open(bytes));
  return table.Text(0);
}

double NumberOf(uint16_t type, const std::vector<uint8_t>& value) {
  const auto bytes = OneValueTable(type, value);
  ResultSet table;
  EXPECT_TRUE(table.Open(bytes));
  return table.Number(0);
}

TEST(ResultSet, ReadsEveryColumnTypeAsTextAndNumber) {
  EXPECT_EQ(TextOf(1, EncodeInt64(-9000000000LL)), u"-9000000000");
  EXPECT_EQ(NumberOf(1, EncodeInt64(-9000000000LL)), -9000000000.0);
  EXPECT_EQ(TextOf(2, EncodeInt32(-7)), u"-7");
  EXPECT_EQ(TextOf(3, EncodeInt16(-300)), u"-300");
  EXPECT_EQ(NumberOf(3, EncodeInt16(-300)), -300);
  EXPECT_EQ(TextOf(4, EncodeInt8(-128)), u"-128");
  EXPECT_EQ(TextOf(5, EncodeDouble(12.5)), u"12.5");
  EXPECT_EQ(TextOf(6, EncodeFloat(0.25f)), u"0.25");
  EXPECT_FLOAT_EQ(NumberOf(6, EncodeFloat(0.25f)), 0.25);
  EXPECT_EQ(TextOf(7, EncodeGbk("\xC6\xBD\xB0\xB2\xD2\xF8\xD0\xD0")), u"平安银行");
  EXPECT_EQ(NumberOf(7, EncodeGbk("12.75abc")), 12.75);
  EXPECT_EQ(TextOf(8, EncodeUtf16(u"涨停")), u"涨停");
  EXPECT_EQ(NumberOf(10, EncodeUtf16(u"-3.5")), -3.5);
  EXPECT_EQ(NumberOf(8, EncodeUtf16(u"n/a")), 0);
  EXPECT_EQ(TextOf(9, EncodeBigEndian(123456789012LL, 8)), u"123456789012");
  EXPECT_EQ(TextOf(9, {0x01}), u"72057594037927936");  // one byte placed at the top of the field
  std::vector<uint8_t> long_nine = EncodeDouble(2.5);
  long_nine.push_back(0);
  EXPECT_EQ(TextOf(9, long_nine), u"2.5");
  EXPECT_EQ(TextOf(11, EncodeDateTime(2017, 2, 20)), u"2017-2-20");
  EXPECT_EQ(TextOf(11, EncodeDateTime(2017, 2, 20, 9, 5, 0)), u"2017-2-20 9:5:0");
  EXPECT_EQ(TextOf(11, EncodeDateTime(2017, 2, 20, 0, 0, 0, 250000000)), u"2017-2-20 0:0:0.250");
}

TEST(ResultSet, AbsentValuesAndUnknownTypesReadAsEmptyAndZero) {
  EXPECT_EQ(TextOf(5, {}), u"");
  EXPECT_EQ(NumberOf(2, {}), 0);
  EXPECT_EQ(TextOf(12, EncodeInt32(5)), u"");
  EXPECT_EQ(NumberOf(0, EncodeInt32(5)), 0);
  // A value shorter than its type reads the bytes present and no further.
  EXPECT_EQ(TextOf(1, {0x05}), u"5");
  EXPECT_EQ(TextOf(11, {0xE1, 0x07}), u"2017-0-0");
}

TEST(ResultSet, FormatsDecimalsWithThreePlacesAndTrimsZeros) {
  EXPECT_EQ(FormatDecimal(2.5), "2.5");
  EXPECT_EQ(FormatDecimal(3.0), "3");
  EXPECT_EQ(FormatDecimal(0.125), "0.125");
  EXPECT_EQ(FormatDecimal(1.23456), "1.235");
  EXPECT_EQ(FormatDecimal(-0.0001), "-0");
  EXPECT_EQ(FormatDecimal(100.0), "100");
  EXPECT_EQ(FormatDecimal(1e300).size(), 301u);
}

TEST(ResultSet, WalksRowsAndKeepsColumnWidthsNamesAndTrailingData) {
  ResultSetWriter writer;
  writer.AddColumn("\xB4\xFA\xC2\xEB", 7);  // 代码
  writer.AddColumn("close", 5);
  writer.AddRow({EncodeGbk("600000"), EncodeDouble(10.5)});
  writer.AddRow({EncodeGbk("1"), {}});
  const uint8_t tail[] = {1, 2, 3};
  const auto bytes = writer.Finish(tail);
  ResultSet table;
  ASSERT_TRUE(table.Open(bytes));
  EXPECT_EQ(table.ColumnCount(), 2);
  EXPECT_EQ(table.RowCount(), 2);
  EXPECT_EQ(table.ColumnName(0), u"代码");
  EXPECT_EQ(table.ColumnTypeOf(1), 5);
  EXPECT_EQ(table.ColumnWidth(0), 7);
  EXPECT_EQ(table.ColumnWidth(1), 8);
  EXPECT_EQ(table.TrailingData().size(), 3u);
  EXPECT_EQ(table.Text(0), u"600000");
  EXPECT_TRUE(table.Next());
  EXPECT_EQ(table.Text(0), u"1");
  EXPECT_EQ(table.Text(1), u"");
  EXPECT_FALSE(table.Next());
  EXPECT_EQ(table.Text(0), u"");
  EXPECT_TRUE(table.First());
  EXPECT_EQ(table.Number(1), 10.5);
  EXPECT_EQ(table.Text(5), u"");
}

TEST(ResultSet, ShortOrOddHeadsOpenEmptyAndOversizedOnesFail) {
  ResultSet table;
  EXPECT_TRUE(table.Open({}));
  EXPECT_EQ(table.ColumnCount(), 0);

  ResultSetWriter two_columns;
  two_columns.AddColumn("a", 2);
  two_columns.AddColumn("b", 2);
  auto bytes = two_columns.Finish();
  ASSERT_TRUE(table.Open(bytes));
  EXPECT_EQ(table.ColumnCount(), 2);
  EXPECT_EQ(table.RowCount(), 0);
  EXPECT_FALSE(table.First());

  PutI32(&bytes[0], static_cast<int32_t>(bytes.size() + 1));
  EXPECT_FALSE(table.Open(bytes));
  PutI32(&bytes[0], -1);
  EXPECT_FALSE(table.Open(bytes));
  PutI32(&bytes[0], static_cast<int32_t>(bytes.size()));
  PutI32(&bytes[4], 3);  // descriptors beyond the bytes
  ASSERT_TRUE(table.Open(bytes));
  EXPECT_EQ(table.ColumnCount(), 0);
  PutI32(&bytes[4], 2);
  PutI32(&bytes[8], -1);
  ASSERT_TRUE(table.Open(bytes));
  EXPECT_EQ(table.ColumnCount(), 0);
}

TEST(ResultSet, ATableCutAtAnyLengthNeverReadsPastItsBytes) {
  ResultSetWriter writer;
  writer.AddColumn("a", 7);
  writer.AddColumn("b", 11);
  for (int r = 0; r < 3; ++r) writer.AddRow({EncodeGbk("row" + std::to_string(r)), EncodeDateTime(2020, 1, r + 1)});
  const auto whole = writer.Finish();
  for (size_t cut = 0; cut < whole.size(); ++cut) {
    // A copy of exactly `cut` bytes, with the table length lowered to fit, so that the sanitizers
    // see any read past the end.
    std::vector<uint8_t> bytes(whole.begin(), whole.begin() + static_cast<long>(cut));
    if (cut >= 4) PutI32(bytes.data(), static_cast<int32_t>(cut));
    ResultSet table;
    ASSERT_TRUE(table.Open(bytes)) << cut;
    if (table.ColumnCount() == 0) continue;
    EXPECT_EQ(table.RowCount(), 3);
    // Rows that cannot all be read are dropped together.
    for (bool on = table.First(); on; on = table.Next()) {
      EXPECT_EQ(table.Text(0), u"") << cut;
      EXPECT_EQ(table.ColumnWidth(0), 0);
    }
  }
  ResultSet table;
  ASSERT_TRUE(table.Open(whole));
  table.Next();
  table.Next();
  EXPECT_EQ(table.Text(0), u"row2");
  EXPECT_EQ(table.Text(1), u"2020-1-3");
}

TEST(ResultSet, ValueLengthsBeyondTheirRowAreAbsent) {
  ResultSetWriter writer;
  writer.AddColumn("a", 2);
  writer.AddColumn("b", 2);
  writer.AddRow({EncodeInt32(1), EncodeInt32(2)});
  auto bytes = writer.Finish();
  const size_t second_value_length = 12 + 2 * 86 + 4 + 4 + 4 + 1;
  PutI32(&bytes[second_value_length], 1000);
  ResultSet table;
  ASSERT_TRUE(table.Open(bytes));
  EXPECT_EQ(table.Text(0), u"1");
  EXPECT_EQ(table.Text(1), u"");
}

TEST(QueryReply, ReadsTablesAndErrorTextsWithinTheirBytes) {
  ResultSetWriter writer;
  writer.AddColumn("a", 2);
  writer.AddRow({EncodeInt32(5)});
  const auto table = writer.Finish();
  const auto reply = MakeTableReply(table);
  auto view = ReadQueryReply(reply);
  ASSERT_TRUE(view);
  EXPECT_FALSE(view->failed);
  EXPECT_EQ(view->table.size(), table.size());

  const auto error = MakeErrorReply("\xCE\xDE\xB4\xCB\xD6\xB8\xB1\xEA");  // 无此指标
  view = ReadQueryReply(error);
  ASSERT_TRUE(view);
  EXPECT_TRUE(view->failed);
  EXPECT_EQ(view->error_text, "\xCE\xDE\xB4\xCB\xD6\xB8\xB1\xEA");
  auto unterminated = error;
  unterminated.pop_back();
  EXPECT_EQ(ReadQueryReply(unterminated)->error_text.size(), 8u);

  auto overlong = reply;
  PutI32(&overlong[16], static_cast<int32_t>(table.size() + 1));
  EXPECT_FALSE(ReadQueryReply(overlong));
  PutI32(&overlong[16], -5);
  EXPECT_FALSE(ReadQueryReply(overlong));
  EXPECT_FALSE(ReadQueryReply({reply.data(), 51}));
}

}  // namespace
}  // namespace orra
