#include "xll/render_single_value.h"

#include <gtest/gtest.h>

#include <limits>
#include <ostream>
#include <vector>

#include "common/text_conversion.h"
#include "request/cell_messages.h"
#include "testing/grid_object_model.h"
#include "testing/result_set_writer.h"
#include "testing/test_env.h"
#include "transport/query_reply.h"
#include "xll/date_text.h"
#include "xll/value_kind.h"

namespace orra {

void PrintTo(const CellValue& value, std::ostream* os) {
  if (value.IsNumber()) {
    *os << "number " << value.number();
  } else {
    *os << "text \"" << ToNarrowString(value.text()) << "\" (GBK)";
  }
}

namespace {

using Bytes = std::vector<uint8_t>;
constexpr char16_t kCell[] = u"'[Book1.xlsx]Sheet1'!B2";

Bytes OneValueTable(ColumnType type, const Bytes& value) {
  ResultSetWriter writer;
  writer.AddColumn("v", static_cast<uint16_t>(type));
  writer.AddRow({value});
  return writer.Finish();
}

class RenderSingleValueTest : public ::testing::Test {
 protected:
  RenderSingleValueTest() {
    grid_.AddSheet(u"Book1.xlsx", u"Sheet1");
    std::copy(std::begin(kCell), std::end(kCell), request_.caller_address);
    request_.SetStatus(RequestStatus::kAnswered);
  }
  CellValue RenderRequest(const tagRequest* request, ExcelObjectModel* excel) {
    return RenderSingleValue(request, excel, messages_, env_);
  }

  void Answer(const Bytes& reply) { request_.result = SharedBlock(PooledBlock::CopyOf(reply)); }
  CellValue Render(ValueKind kind, ColumnType type, const Bytes& value) {
    request_.value_kind = static_cast<uint8_t>(kind);
    Answer(MakeTableReply(OneValueTable(type, value)));
    return RenderRequest(&request_, &grid_);
  }
  GridCell Cell() const { return *grid_.Cell(kCell); }

  testing::TestEnv env_;
  CellMessageTable messages_;
  GridObjectModel grid_;
  tagRequest request_{7};
};

TEST_F(RenderSingleValueTest, WithoutARecordOrAReplyTheCellShowsNoData) {
  EXPECT_EQ(RenderRequest(nullptr, &grid_), CellValue::Text(u"#System?"));
  EXPECT_EQ(RenderRequest(&request_, &grid_), CellValue::Text(u"#System?"));
  messages_.UseDeveloperTexts();
  EXPECT_EQ(RenderRequest(&request_, &grid_), CellValue::Text(u"NODATA"));
  EXPECT_TRUE(grid_.CellsOf(u"[Book1.xlsx]Sheet1").empty());
}

TEST_F(RenderSingleValueTest, AServerErrorShowsItsTextAndLeavesTheFormatAlone) {
  request_.value_kind = static_cast<uint8_t>(ValueKind::kNumber);
  request_.alignment = 2;
  Answer(MakeErrorReply(ToNarrowString(u"用户无权限")));
  EXPECT_EQ(RenderRequest(&request_, &grid_), CellValue::Text(u"用户无权限"));
  // An error text without its terminator ends with the block.
  Bytes cut = MakeErrorReply("no such code");
  cut.pop_back();
  Answer(cut);
  EXPECT_EQ(RenderRequest(&request_, &grid_), CellValue::Text(u"no such code"));
  EXPECT_TRUE(grid_.CellsOf(u"[Book1.xlsx]Sheet1").empty());
}

TEST_F(RenderSingleValueTest, AnUnreadableOrEmptyTableShowsNullValueUnformatted) {
  messages_.UseDeveloperTexts();  // "NULL" then differs from every other message
  request_.value_kind = static_cast<uint8_t>(ValueKind::kNumber);
  ResultSetWriter no_rows;
  no_rows.AddColumn("a", 2);
  no_rows.AddColumn("b", 2);
  Bytes table_longer_than_reply = OneValueTable(ColumnType::kInt32, EncodeInt32(1));
  table_longer_than_reply[0] += 1;  // T passes the end of the bytes
  const std::vector<Bytes> replies = {
      {},
      Bytes(51, 0),                      // shorter than the reply's head
      MakeTableReply({}),                // no table
      MakeTableReply(no_rows.Finish()),  // columns without rows
      MakeTableReply(table_longer_than_reply),
  };
  for (const Bytes& reply : replies) {
    Answer(reply);
    EXPECT_EQ(RenderRequest(&request_, &grid_), CellValue::Text(u"NULL")) << reply.size();
  }
  Bytes length_past_end = MakeTableReply(OneValueTable(ColumnType::kInt32, EncodeInt32(1)));
  length_past_end[QueryReplyLayout::kTableLengthOffset] += 1;  // the reply's table length passes the end
  Answer(length_past_end);
  EXPECT_EQ(RenderRequest(&request_, &grid_), CellValue::Text(u"NULL"));
  EXPECT_TRUE(grid_.CellsOf(u"[Book1.xlsx]Sheet1").empty());
}

TEST_F(RenderSingleValueTest, EveryCutOfAReplyRendersWithoutReadingPastIt) {
  request_.value_kind = static_cast<uint8_t>(ValueKind::kText);
  const Bytes reply = MakeTableReply(OneValueTable(ColumnType::kGbkText, EncodeGbk("abc")));
  for (size_t n = 0; n < reply.size(); ++n) {
    Answer(Bytes(reply.begin(), reply.begin() + static_cast<std::ptrdiff_t>(n)));
    EXPECT_EQ(RenderRequest(&request_, &grid_), CellValue::Text(u"NULL")) << n;
  }
  Answer(reply);
  EXPECT_EQ(RenderRequest(&request_, &grid_), CellValue::Text(u"abc"));
}

TEST_F(RenderSingleValueTest, TextsShowAsTheyAreAndEmptyAsDashes) {
  request_.alignment = 1;
  EXPECT_EQ(Render(ValueKind::kText, ColumnType::kGbkText, EncodeGbk(ToNarrowString(u"浦发银行"))),
            CellValue::Text(u"浦发银行"));
  EXPECT_EQ(Cell().number_format, std::nullopt);
  EXPECT_EQ(Cell().horizontal_alignment, kAlignCenter);
  EXPECT_EQ(Render(ValueKind::kText, ColumnType::kGbkText, {}), CellValue::Text(u"--"));
  EXPECT_EQ(Render(ValueKind::kText, ColumnType::kInt32, EncodeInt32(-7)), CellValue::Text(u"-7"));
}

TEST_F(RenderSingleValueTest, NumbersShowWithTheirDecimals) {
  request_.decimals = 2;
  request_.alignment = 2;
  EXPECT_EQ(Render(ValueKind::kNumber, ColumnType::kDouble, EncodeDouble(12.345)), CellValue::Number(12.345));
  EXPECT_EQ(Cell().number_format, u"#,##0.00");
  EXPECT_EQ(Cell().horizontal_alignment, kAlignRight);
  EXPECT_EQ(Render(ValueKind::kNumber, ColumnType::kInt32, {}), CellValue::Number(0));  // absent
  EXPECT_EQ(Render(ValueKind::kNumber, ColumnType::kGbkText, EncodeGbk("1.5e3")), CellValue::Number(1500));
}

TEST_F(RenderSingleValueTest, ANumberExcelCannotHoldShowsDashes) {
  EXPECT_EQ(Render(ValueKind::kNumber, ColumnType::kGbkText, EncodeGbk("nan")), CellValue::Text(u"--"));
  EXPECT_EQ(Render(ValueKind::kNumber, ColumnType::kGbkText, EncodeGbk("1e999")), CellValue::Text(u"--"));
  EXPECT_EQ(Render(ValueKind::kNumber, ColumnType::kDouble, EncodeDouble(-std::numeric_limits<double>::infinity())), CellValue::Text(u"--"));
}

TEST_F(RenderSingleValueTest, DatesBecomeSerialsWithTheirTimeOfDay) {
  request_.date_style = 1;
  EXPECT_EQ(Render(ValueKind::kDateTime, ColumnType::kGbkText, EncodeGbk("2020-01-01")), CellValue::Number(43831));
  EXPECT_EQ(Cell().number_format, u"yyyy年MM月dd日");

  request_.date_style = 0;
  EXPECT_EQ(Render(ValueKind::kDateTime, ColumnType::kGbkText, EncodeGbk("2020-01-01 12:00:00")),
            CellValue::Number(43831.5));
  EXPECT_EQ(Cell().number_format, u"yyyy-MM-dd hh:mm:ss");

  request_.date_style = 2;
  EXPECT_EQ(Render(ValueKind::kDateTime, ColumnType::kDateTime, EncodeDateTime(2017, 2, 20)),
            CellValue::Number(SerialDayFromYmd(20170220)));
  EXPECT_EQ(Cell().number_format, u"yyyy/MM/dd");
  EXPECT_EQ(Render(ValueKind::kDateTime, ColumnType::kDateTime, EncodeDateTime(2017, 2, 20, 6, 0, 0)),
            CellValue::Number(SerialDayFromYmd(20170220) + 0.25));
  EXPECT_EQ(Cell().number_format, u"yyyy/MM/dd hh:mm:ss");
}

TEST_F(RenderSingleValueTest, AnEmptyDateShowsDashesInTheDateTimeFormat) {
  request_.date_style = 0;
  EXPECT_EQ(Render(ValueKind::kDateTime, ColumnType::kGbkText, {}), CellValue::Text(u"--"));
  EXPECT_EQ(Cell().number_format, u"yyyy-MM-dd hh:mm:ss");
}

TEST_F(RenderSingleValueTest, AnotherKindShowsDashesButIsStillAligned) {
  request_.alignment = 0;
  request_.value_kind = 7;
  Answer(MakeTableReply(OneValueTable(ColumnType::kInt32, EncodeInt32(5))));
  EXPECT_EQ(RenderRequest(&request_, &grid_), CellValue::Text(u"--"));
  EXPECT_EQ(Cell().horizontal_alignment, kAlignLeft);
  EXPECT_EQ(Cell().number_format, std::nullopt);
}

TEST_F(RenderSingleValueTest, RowsThatCannotBeReadGiveAbsentValues) {
  request_.value_kind = static_cast<uint8_t>(ValueKind::kNumber);
  Bytes table = OneValueTable(ColumnType::kInt32, EncodeInt32(5));
  table[12 + 86] = 0xFF;  // the first row's length passes the end of the table
  Answer(MakeTableReply(table));
  EXPECT_EQ(RenderRequest(&request_, &grid_), CellValue::Number(0));
}

TEST_F(RenderSingleValueTest, FormattingProblemsNeverChangeTheValue) {
  request_.decimals = 2;
  EXPECT_EQ(Render(ValueKind::kNumber, ColumnType::kInt32, EncodeInt32(9)), CellValue::Number(9));
  request_.value_kind = static_cast<uint8_t>(ValueKind::kNumber);
  EXPECT_EQ(RenderRequest(&request_, nullptr), CellValue::Number(9));  // no Excel held

  grid_.FailCall(GridCall::kSetNumberFormatLocal, u"Unable to set the NumberFormatLocal property");
  EXPECT_EQ(RenderRequest(&request_, &grid_), CellValue::Number(9));
  EXPECT_NE(env_.DebugText().find(u"Unable to set the NumberFormatLocal property"), std::u16string::npos);

  request_.caller_address[1] = u'?';  // no longer resolves
  grid_.ClearFailure(GridCall::kSetNumberFormatLocal);
  EXPECT_EQ(RenderRequest(&request_, &grid_), CellValue::Number(9));
}

}  // namespace
}  // namespace orra
