#include "xll/shown_answer.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "request/requests_dictionary.h"
#include "testing/counting_object_model.h"
#include "testing/grid_object_model.h"
#include "testing/result_set_writer.h"
#include "testing/test_env.h"
#include "transport/message_code.h"
#include "transport/query_reply.h"
#include "xll/value_kind.h"

namespace orra {
namespace {

using Bytes = std::vector<uint8_t>;
using testing::CountingObjectModel;
constexpr char16_t kCell[] = u"'[Book1.xlsx]Sheet1'!C4";

SharedBlock Reply(ColumnType type, const Bytes& value) {
  ResultSetWriter writer;
  writer.AddColumn("v", static_cast<uint16_t>(type));
  writer.AddRow({value});
  return SharedBlock(PooledBlock::CopyOf(MakeTableReply(writer.Finish())));
}

SharedBlock DateReply(const char* text) { return Reply(ColumnType::kGbkText, EncodeGbk(text)); }

class ShowAnswerTest : public ::testing::Test {
 protected:
  ShowAnswerTest() {
    grid_.AddSheet(u"Book1.xlsx", u"Sheet1");
    std::copy(std::begin(kCell), std::end(kCell), request_.caller_address);
    request_.SetStatus(RequestStatus::kAnswered);
    request_.value_kind = static_cast<uint8_t>(ValueKind::kNumber);
    request_.decimals = 2;
    request_.result = Reply(ColumnType::kDouble, EncodeDouble(10.5));
  }
  // One evaluation: what the cell shows, kept with the request as the dictionary would.
  CellValue Show(ExcelObjectModel* excel) {
    request_.shown = ShowAnswer(request_, excel, messages_, env_);
    return request_.shown->rendered.value;
  }
  CellValue Show() { return Show(&counting_); }
  std::optional<std::u16string> NumberFormat() const { return grid_.Cell(kCell)->number_format; }

  testing::TestEnv env_;
  CellMessageTable messages_;
  GridObjectModel grid_;
  CountingObjectModel counting_{grid_};
  tagRequest request_{3};
};

TEST_F(ShowAnswerTest, AnUnchangedAnswerIsNeitherRenderedNorFormattedAgain) {
  EXPECT_EQ(Show(), CellValue::Number(10.5));
  EXPECT_EQ(counting_.calls(), 2) << "number format and alignment, once";
  const ShownAnswer* first = request_.shown.get();

  // The user gives the cell a format of their own; recalculation must leave it.
  ASSERT_TRUE(grid_.SetNumberFormatLocal(kCell, u"0.0000"));
  for (int n = 0; n < 3; ++n) EXPECT_EQ(Show(), CellValue::Number(10.5));
  EXPECT_EQ(request_.shown.get(), first) << "the kept answer itself, not a new rendering";
  EXPECT_EQ(counting_.calls(), 2);
  EXPECT_EQ(NumberFormat(), u"0.0000");
}

TEST_F(ShowAnswerTest, ANewReplyIsRenderedButFormattedOnlyWhenItsFormatChanges) {
  request_.value_kind = static_cast<uint8_t>(ValueKind::kDateTime);
  request_.date_style = 2;
  request_.result = DateReply("2020-01-01 12:00:00");
  EXPECT_EQ(Show(), CellValue::Number(43831.5));
  EXPECT_EQ(NumberFormat(), u"yyyy/MM/dd hh:mm:ss");
  counting_.ClearCount();

  request_.result = DateReply("2020-01-02 06:00:00");
  EXPECT_EQ(Show(), CellValue::Number(43832.25));
  EXPECT_EQ(counting_.calls(), 0) << "same kind, style and table";

  request_.result = DateReply("2020-01-03");
  EXPECT_EQ(Show(), CellValue::Number(43833));
  EXPECT_EQ(NumberFormat(), u"yyyy/MM/dd") << "no time of day: the date-only table";
  counting_.ClearCount();

  // The worker read other display attributes from the store for the request's next query.
  request_.date_style = 0;
  request_.result = DateReply("2020-01-03");
  EXPECT_EQ(Show(), CellValue::Number(43833));
  EXPECT_EQ(NumberFormat(), u"yyyy-MM-dd");
  EXPECT_EQ(counting_.calls(), 2);
}

TEST_F(ShowAnswerTest, AReplyInTheMemoryOfAReplacedOneIsStillRenderedAnew) {
  EXPECT_EQ(Show(), CellValue::Number(10.5));
  const void* old_address = request_.result.get();
  request_.result.reset();  // back to the pool: the next block of its size may take its place
  request_.result = Reply(ColumnType::kDouble, EncodeDouble(99.25));
  SCOPED_TRACE(request_.result.get() == old_address ? "same memory" : "other memory");
  EXPECT_EQ(Show(), CellValue::Number(99.25));
}

TEST_F(ShowAnswerTest, AFormatNotTakenIsTriedAgainUntilItIs) {
  EXPECT_EQ(Show(nullptr), CellValue::Number(10.5));  // no Excel held yet
  const ShownAnswer* unformatted = request_.shown.get();
  EXPECT_EQ(Show(nullptr), CellValue::Number(10.5));
  EXPECT_EQ(request_.shown.get(), unformatted) << "without Excel there is nothing to try";

  grid_.FailCall(GridCall::kSetNumberFormatLocal, u"The cell is being edited");
  EXPECT_EQ(Show(), CellValue::Number(10.5));
  EXPECT_EQ(Show(), CellValue::Number(10.5));
  EXPECT_EQ(counting_.calls(), 2) << "asked at each evaluation while refused";
  EXPECT_EQ(NumberFormat(), std::nullopt);

  grid_.ClearFailure(GridCall::kSetNumberFormatLocal);
  EXPECT_EQ(Show(), CellValue::Number(10.5));
  EXPECT_EQ(NumberFormat(), u"#,##0.00");
  counting_.ClearCount();
  EXPECT_EQ(Show(), CellValue::Number(10.5));
  EXPECT_EQ(counting_.calls(), 0);
}

TEST_F(ShowAnswerTest, MessagesFollowTheTextsInUseAndLeaveTheFormat) {
  request_.result.reset();
  EXPECT_EQ(Show(), CellValue::Text(u"#System?"));
  messages_.UseDeveloperTexts();
  EXPECT_EQ(Show(), CellValue::Text(u"NODATA"));
  EXPECT_EQ(counting_.calls(), 0);
}

TEST_F(ShowAnswerTest, TheDictionaryKeepsAShownAnswerOnlyForTheReplyItShows) {
  testing::TestEnv env;
  RequestsDictionary requests{env};
  requests.Store(request_);
  const SharedBlock shown_reply = request_.result;
  const auto shown = ShowAnswer(request_, &grid_, messages_, env_);
  EXPECT_TRUE(requests.KeepShown(3, shown_reply, shown));
  EXPECT_EQ(requests.Find(3)->shown, shown);

  requests.OnReply(3, MessageCode::kQuery, Reply(ColumnType::kDouble, EncodeDouble(1)));
  EXPECT_FALSE(requests.KeepShown(3, shown_reply, nullptr)) << "rendered from a reply since replaced";
  EXPECT_EQ(requests.Find(3)->shown, shown) << "kept across replies: it knows what was formatted";
  requests.Remove(3);
  EXPECT_FALSE(requests.KeepShown(3, shown_reply, shown));
}

}  // namespace
}  // namespace orra
