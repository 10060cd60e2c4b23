#include "xll/worksheet_function.h"

#include <gtest/gtest.h>

#include <deque>
#include <optional>
#include <string>
#include <vector>

#include "common/text_conversion.h"
#include "request/cell_messages.h"
#include "request/requests_dictionary.h"
#include "testing/counting_object_model.h"
#include "testing/grid_object_model.h"
#include "testing/result_set_writer.h"
#include "testing/simulated_excel.h"
#include "testing/test_env.h"
#include "testing/xloper_values.h"
#include "transport/message_code.h"
#include "transport/query_reply.h"
#include "xll/value_kind.h"
#include "xll/worksheet_function_table.h"

namespace orra {
namespace {

using testing::SimulatedExcel;

constexpr char16_t kCallerAddress[] = u"'[Book1.xlsx]Sheet1'!B3";
constexpr uint8_t kXdp = 0;
constexpr uint8_t kQxPdp = 1;
constexpr uint8_t kQxPdh = 3;
constexpr uint8_t kQxSne = 6;
constexpr uint8_t kQxSers = 12;
constexpr TopicId kTopic = 41;

SharedBlock NumberReply(double number) {
  ResultSetWriter writer;
  writer.AddColumn("v", static_cast<uint16_t>(ColumnType::kDouble));
  writer.AddRow({EncodeDouble(number)});
  return SharedBlock(PooledBlock::CopyOf(MakeTableReply(writer.Finish())));
}

std::optional<std::u16string> TextResult(const XLOPER12* result) {
  if (result == nullptr) return std::nullopt;
  const auto text = TextOf(*result);
  return text ? std::optional<std::u16string>(*text) : std::nullopt;
}

class WorksheetFunctionTest : public ::testing::Test {
 protected:
  WorksheetFunctionTest() {
    excel_.SetCaller(SimulatedExcel::kFirstSheet, 2, 1);
    grid_.AddSheet(u"Book1.xlsx", u"Sheet1");
  }
  void TearDown() override {
    EXPECT_EQ(excel_.outstanding(), 0u) << "Excel's memory not given back";
    EXPECT_EQ(excel_.bad_frees(), 0);
  }

  // Calls function `id` as Excel does: every argument not given arrives as a missing value.
  XLOPER12* Evaluate(uint8_t id, std::vector<const XLOPER12*> given) {
    const WorksheetFunction& row = *WorksheetFunctionById(id);
    given.resize(row.argument_count, &missing_);
    return EvaluateWorksheetFunction(row, given, services_);
  }
  std::optional<std::u16string> EvaluateText(uint8_t id, std::vector<const XLOPER12*> given) {
    return TextResult(Evaluate(id, std::move(given)));
  }
  // The topic lists of every RTD call so far, then forgotten.
  std::vector<std::vector<std::u16string>> TakeRtdCalls() {
    auto lists = excel_.rtd_calls();
    excel_.ClearCalls();
    return lists;
  }
  void StoreRecord(RequestStatus status) {
    tagRequest record(kTopic);
    record.SetStatus(status);
    std::copy(std::begin(kCallerAddress), std::end(kCallerAddress), record.caller_address);
    requests_.Store(record);
    excel_.SetDefaultRtdAnswer(kTopic);
  }
  void StoreAnswered(ValueKind kind, ColumnType type, const std::vector<uint8_t>& value, uint8_t decimals = 0) {
    ResultSetWriter writer;
    writer.AddColumn("v", static_cast<uint16_t>(type));
    writer.AddRow({value});
    tagRequest record(kTopic);
    record.SetStatus(RequestStatus::kAnswered);
    std::copy(std::begin(kCallerAddress), std::end(kCallerAddress), record.caller_address);
    record.value_kind = static_cast<uint8_t>(kind);
    record.decimals = decimals;
    record.result = SharedBlock(PooledBlock::CopyOf(MakeTableReply(writer.Finish())));
    requests_.Store(record);
    excel_.SetDefaultRtdAnswer(kTopic);
  }

  SimulatedExcel excel_;
  testing::TestEnv env_;
  RequestsDictionary requests_{env_};
  CellMessageTable messages_;
  GridObjectModel grid_;
  XllServices services_{&excel_, &requests_, &messages_, &env_, &grid_};
  const XLOPER12 missing_ = XlOfType(xltypeMissing);
  const XlText code_{u"600000.SH"};
  const XlText indicator_{u"close"};
};

TEST_F(WorksheetFunctionTest, EveryFunctionChecksItsRequiredArgumentsAndSendsItsWholeLayout) {
  std::deque<XlText> texts;  // values that never move
  for (size_t n = 1; n <= kMaxWorksheetArguments; ++n) texts.emplace_back(u"a" + ToWideString(std::to_string(n)));
  for (const WorksheetFunction& row : kWorksheetFunctions) {
    SCOPED_TRACE(std::string(row.name));
    ASSERT_GT(row.required_count, 0);
    EXPECT_EQ(EvaluateText(row.id, {}), u"#Param?");
    // One required argument short is as good as none.
    std::vector<const XLOPER12*> all_but_last_required;
    for (size_t n = 1; n < row.required_count; ++n) all_but_last_required.push_back(texts[n - 1].get());
    EXPECT_EQ(EvaluateText(row.id, all_but_last_required), u"#Param?");
    EXPECT_EQ(excel_.CountOf(xlfRtd), 0u);
    EXPECT_EQ(excel_.CountOf(xlfCaller), 0u);

    std::vector<const XLOPER12*> all;
    for (size_t n = 1; n <= row.argument_count; ++n) all.push_back(texts[n - 1].get());
    EXPECT_EQ(EvaluateText(row.id, all), u"Fetching...");
    const auto calls = TakeRtdCalls();
    ASSERT_EQ(calls.size(), 1u);
    const std::vector<std::u16string>& topics = calls[0];
    ASSERT_EQ(topics.size(), row.topic_count());
    EXPECT_EQ(topics[0], kCallerAddress);
    EXPECT_EQ(topics[1], ToWideString(std::to_string(row.id)));
    // Texts pass every conversion unchanged; the ignored arguments are never sent.
    for (size_t n = 1; n <= row.argument_count; ++n) {
      const auto sent = std::count(topics.begin(), topics.end(), std::u16string(*TextOf(texts[n - 1].value())));
      EXPECT_EQ(sent, (row.ignored & (1u << (n - 1))) == 0 ? 1 : 0) << "argument " << n;
    }
    EXPECT_TRUE(std::is_sorted(topics.begin() + 2, topics.end(), [](const auto& a, const auto& b) {
      return std::stoi(ToNarrowString(a.substr(1))) < std::stoi(ToNarrowString(b.substr(1)));
    })) << "topics keep the order of the arguments";
  }
}

TEST_F(WorksheetFunctionTest, PresentMeansNotMissingEvenWhenEmpty) {
  const XlText empty(u"");
  EXPECT_EQ(EvaluateText(kXdp, {code_.get(), empty.get()}), u"Fetching...");
  const XLOPER12 nil = XlOfType(xltypeNil);
  const XLOPER12 zero = XlNumber(0);
  EXPECT_EQ(EvaluateText(kXdp, {&nil, &zero}), u"Fetching...");
  EXPECT_EQ(TakeRtdCalls().size(), 2u);

  EXPECT_EQ(EvaluateText(kXdp, {&missing_, indicator_.get()}), u"#Param?");
  EXPECT_EQ(EvaluateText(kXdp, {code_.get()}), u"#Param?");
  // A null pointer, which Excel never passes, counts as missing.
  EXPECT_EQ(EvaluateText(kXdp, {nullptr, indicator_.get()}), u"#Param?");
  // QX_SERS checks its third argument although it never sends it.
  EXPECT_EQ(EvaluateText(kQxSers, {code_.get(), code_.get()}), u"#Param?");
  EXPECT_TRUE(TakeRtdCalls().empty());
  const XLOPER12 date = XlNumber(43831);
  const XlText third(u"unused");
  EXPECT_EQ(EvaluateText(kQxSers, {code_.get(), &date, third.get()}), u"Fetching...");
  EXPECT_EQ(TakeRtdCalls(), (std::vector<std::vector<std::u16string>>{{kCallerAddress, u"12", u"600000.SH", u"20200101"}}));
}

TEST_F(WorksheetFunctionTest, ADateKeywordConvertsTheArgumentAfterIt) {
  const XLOPER12 date = XlNumber(43831);
  const XlText upper(u"STARTDATE"), lower(u"countdate"), shortened(u"STARTDAT"), blank(u" STARTDATE");
  EXPECT_EQ(EvaluateText(kXdp, {code_.get(), indicator_.get(), upper.get(), &date}), u"Fetching...");
  EXPECT_EQ(EvaluateText(kXdp, {code_.get(), indicator_.get(), lower.get(), &date}), u"Fetching...");
  EXPECT_EQ(EvaluateText(kXdp, {code_.get(), indicator_.get(), shortened.get(), &date}), u"Fetching...");
  EXPECT_EQ(EvaluateText(kXdp, {code_.get(), indicator_.get(), blank.get(), &date}), u"Fetching...");
  // The keyword is the argument as given: a second keyword stays text, the date after it converts.
  EXPECT_EQ(EvaluateText(kXdp, {code_.get(), indicator_.get(), upper.get(), upper.get(), &date}), u"Fetching...");
  const std::u16string head[] = {kCallerAddress, u"0", u"600000.SH", u"close"};
  auto with = [&](std::vector<std::u16string> tail) {
    std::vector<std::u16string> topics(std::begin(head), std::end(head));
    topics.insert(topics.end(), tail.begin(), tail.end());
    return topics;
  };
  EXPECT_EQ(excel_.rtd_calls(), (std::vector<std::vector<std::u16string>>{
                                    with({u"STARTDATE", u"20200101"}),
                                    with({u"countdate", u"20200101"}),
                                    with({u"STARTDAT", u"43831"}),
                                    with({u" STARTDATE", u"43831"}),
                                    with({u"STARTDATE", u"STARTDATE", u"20200101"}),
                                }));
  // The converted date goes as an integer, the unconverted one as the number it was.
  const auto& first = excel_.calls();
  std::vector<uint32_t> date_types;
  for (const auto& call : first) {
    if (call.function == xlfRtd) date_types.push_back(BaseType(call.arguments.back()));
  }
  EXPECT_EQ(date_types, (std::vector<uint32_t>{xltypeInt, xltypeInt, xltypeNum, xltypeNum, xltypeInt}));
}

TEST_F(WorksheetFunctionTest, DateArgumentsOfTheLayoutAreConvertedOrDropped) {
  const XlText period(u"D"), adjust(u"1");
  const XLOPER12 serial = XlNumber(43831.75);
  const XlText typed(u"2020-01-01");
  const XLOPER12 yes = XlBool(true);
  EXPECT_EQ(EvaluateText(kQxPdp, {code_.get(), indicator_.get(), &serial, period.get()}), u"Fetching...");
  EXPECT_EQ(EvaluateText(kQxPdp, {code_.get(), indicator_.get(), typed.get(), period.get()}), u"Fetching...");
  EXPECT_EQ(EvaluateText(kQxPdp, {code_.get(), indicator_.get(), &yes, period.get(), adjust.get()}),
            u"Fetching...");
  EXPECT_EQ(TakeRtdCalls(), (std::vector<std::vector<std::u16string>>{
                                {kCallerAddress, u"1", u"600000.SH", u"close", u"20200101", u"D"},
                                {kCallerAddress, u"1", u"600000.SH", u"close", u"2020-01-01", u"D"},
                                {kCallerAddress, u"1", u"600000.SH", u"close", u"D", u"1"},
                            }));
  // A serial Excel has no date for: no value, and no RTD call.
  const XLOPER12 negative = XlNumber(-5);
  EXPECT_EQ(Evaluate(kQxPdp, {code_.get(), indicator_.get(), &negative, period.get()}), nullptr);
  EXPECT_TRUE(TakeRtdCalls().empty());
}

TEST_F(WorksheetFunctionTest, PlacementOptionsAreWithheldFromTheTopics) {
  const XlText placement(u"x row=2:Col=3 y"), row_only(u"ROW=2"), option(u"DISPLAYMODE=1");
  EXPECT_EQ(EvaluateText(kXdp, {code_.get(), indicator_.get(), placement.get(), row_only.get(), option.get()}),
            u"Fetching...");
  EXPECT_EQ(TakeRtdCalls(), (std::vector<std::vector<std::u16string>>{
                                {kCallerAddress, u"0", u"600000.SH", u"close", u"ROW=2", u"DISPLAYMODE=1"}}));
}

TEST_F(WorksheetFunctionTest, TheRecordsStatusIsShownByTheFunctionsShape) {
  struct Case {
    RequestStatus status;
    std::u16string single_value, array;
  };
  const Case cases[] = {
      {RequestStatus::kPending, u"Fetching...", u"Fetching..."},
      {RequestStatus::kNotLoggedIn, u"#Login?", u"#Login?"},
      {RequestStatus::kTimedOut, u"#System?", u"#System?"},
      {RequestStatus::kNoIndicator, u"#NOINDEX?", u"Fetching..."},
      {RequestStatus::kNoPermission, u"#Permission?", u"Fetching..."},
      {static_cast<RequestStatus>(7), u"#System?", u"Fetching..."},
      {RequestStatus::kAnswered, u"", u"Fetching..."},
  };
  const XlText a(u"a");
  const std::vector<const XLOPER12*> five(5, a.get());
  for (const Case& c : cases) {
    SCOPED_TRACE(static_cast<int>(c.status));
    requests_.Remove(kTopic);
    StoreRecord(c.status);
    if (c.status != RequestStatus::kAnswered) {
      EXPECT_EQ(EvaluateText(kXdp, five), c.single_value);
      EXPECT_EQ(EvaluateText(kQxSne, five), c.single_value);
    }
    EXPECT_EQ(EvaluateText(kQxPdh, five), c.array);
  }
  messages_.UseDeveloperTexts();
  requests_.Remove(kTopic);
  StoreRecord(RequestStatus::kNoIndicator);
  EXPECT_EQ(EvaluateText(kXdp, five), u"NOINDEX");
  EXPECT_EQ(requests_.Size(), 1u);
}

TEST_F(WorksheetFunctionTest, AnAnsweredSingleValueIsRenderedAndItsCellFormatted) {
  StoreAnswered(ValueKind::kNumber, ColumnType::kDouble, EncodeDouble(12.5), 2);
  const XLOPER12* value = Evaluate(kXdp, {code_.get(), indicator_.get()});
  ASSERT_NE(value, nullptr);
  ASSERT_EQ(value->xltype, xltypeNum) << "no memory of the add-in's for Excel to free";
  EXPECT_EQ(value->val.num, 12.5);
  EXPECT_EQ(grid_.Cell(kCallerAddress)->number_format, u"#,##0.00");

  // Without Excel's object model the value still comes; only the format is skipped.
  services_.object_model = nullptr;
  value = Evaluate(kXdp, {code_.get(), indicator_.get()});
  ASSERT_NE(value, nullptr);
  EXPECT_EQ(value->val.num, 12.5);

  requests_.Remove(kTopic);
  StoreAnswered(ValueKind::kText, ColumnType::kGbkText, EncodeGbk(ToNarrowString(u"浦发银行")));
  EXPECT_EQ(EvaluateText(kXdp, {code_.get(), indicator_.get()}), u"浦发银行");
  EXPECT_EQ(EvaluateText(kQxPdh, {code_.get(), indicator_.get(), code_.get(), code_.get(), code_.get()}),
            u"Fetching...");
}

TEST_F(WorksheetFunctionTest, RecalculatingAnsweredCellsReachesIntoExcelOnlyForNewFormats) {
  testing::CountingObjectModel counting(grid_);
  services_.object_model = &counting;
  constexpr TopicId kCells = 1000;
  constexpr TopicId kFirstTopic = 100;
  for (TopicId n = 0; n < kCells; ++n) {
    tagRequest record(kFirstTopic + n);
    record.SetStatus(RequestStatus::kAnswered);
    const std::u16string address = u"'[Book1.xlsx]Sheet1'!D" + ToWideString(std::to_string(n + 1));
    std::copy(address.begin(), address.end(), record.caller_address);
    record.value_kind = static_cast<uint8_t>(ValueKind::kNumber);
    record.decimals = 2;
    record.result = NumberReply(n);
    requests_.Store(record);
  }
  const auto recalculate = [&] {
    double sum = 0;
    for (TopicId n = 0; n < kCells; ++n) {
      excel_.SetDefaultRtdAnswer(kFirstTopic + n);
      const XLOPER12* value = Evaluate(kXdp, {code_.get(), indicator_.get()});
      if (value == nullptr || value->xltype != xltypeNum) return -1.0;
      sum += value->val.num;
    }
    return sum;
  };
  constexpr double kSum = kCells * (kCells - 1) / 2;
  EXPECT_EQ(recalculate(), kSum);
  EXPECT_EQ(counting.calls(), 2 * kCells) << "each cell's number format and alignment, once";
  EXPECT_EQ(grid_.Cell(u"'[Book1.xlsx]Sheet1'!D1000")->number_format, u"#,##0.00");

  counting.ClearCount();
  EXPECT_EQ(recalculate(), kSum);
  EXPECT_EQ(recalculate(), kSum);
  EXPECT_EQ(counting.calls(), 0);

  // New answers in the same format show, and still reach no further.
  requests_.OnReply(kFirstTopic, MessageCode::kQuery, NumberReply(kCells));
  EXPECT_EQ(recalculate(), kSum + kCells);
  EXPECT_EQ(counting.calls(), 0);
}

TEST_F(WorksheetFunctionTest, ALongAnswerIsCutToWhatACellHolds) {
  StoreAnswered(ValueKind::kText, ColumnType::kGbkText, EncodeGbk(std::string(40000, 'x')));
  const auto text = EvaluateText(kXdp, {code_.get(), indicator_.get()});
  ASSERT_TRUE(text);
  EXPECT_EQ(text->size(), kMaxXlTextUnits);
  EXPECT_EQ(text->find_first_not_of(u'x'), std::u16string::npos);
}

TEST_F(WorksheetFunctionTest, AHandleNamingNoRecordShowsFetchingAndAddsNone) {
  excel_.SetDefaultRtdAnswer(kTopic);
  EXPECT_EQ(EvaluateText(kXdp, {code_.get(), indicator_.get()}), u"Fetching...");
  EXPECT_EQ(requests_.Size(), 0u);
  services_.requests = nullptr;
  EXPECT_EQ(EvaluateText(kXdp, {code_.get(), indicator_.get()}), u"Fetching...");
}

TEST_F(WorksheetFunctionTest, TheRtdValueIsReadAsAHandle) {
  StoreRecord(RequestStatus::kNotLoggedIn);
  const std::vector<std::u16string> topics = {kCallerAddress, u"0", u"600000.SH", u"close"};
  excel_.SetRtdAnswer(topics, kTopic + 0.9);  // truncated toward zero
  EXPECT_EQ(EvaluateText(kXdp, {code_.get(), indicator_.get()}), u"#Login?");
  excel_.SetRtdTextAnswer(topics, u"41");  // coerced by Excel
  EXPECT_EQ(EvaluateText(kXdp, {code_.get(), indicator_.get()}), u"#Login?");
  excel_.SetRtdTextAnswer(topics, u"not a handle");
  EXPECT_EQ(Evaluate(kXdp, {code_.get(), indicator_.get()}), nullptr);
  excel_.SetRtdAnswer(topics, -1);
  EXPECT_EQ(EvaluateText(kXdp, {code_.get(), indicator_.get()}), u"Fetching...");
}

TEST_F(WorksheetFunctionTest, FailuresOfTheExcelBridgeGiveNoValue) {
  StoreRecord(RequestStatus::kNotLoggedIn);
  excel_.SetNoCaller();  // evaluated from a macro
  EXPECT_EQ(Evaluate(kXdp, {code_.get(), indicator_.get()}), nullptr);
  EXPECT_EQ(excel_.CountOf(xlfRtd), 0u);

  excel_.SetCaller(SimulatedExcel::kFirstSheet, 2, 1);
  excel_.FailNext(xlSheetNm, xlretUncalced);
  EXPECT_EQ(Evaluate(kXdp, {code_.get(), indicator_.get()}), nullptr);
  excel_.FailNext(xlfRtd, xlretUncalced);
  EXPECT_EQ(Evaluate(kXdp, {code_.get(), indicator_.get()}), nullptr);
  const XLOPER12 date = XlNumber(43831);
  excel_.FailNext(xlfMonth, xlretAbort);
  EXPECT_EQ(Evaluate(kQxSne, {code_.get(), &date, indicator_.get()}), nullptr);
  EXPECT_EQ(excel_.CountOf(xlfRtd), 1u);

  // Without Excel there is no value, whatever the arguments.
  services_.excel = nullptr;
  EXPECT_EQ(Evaluate(kXdp, {code_.get(), indicator_.get()}), nullptr);
  EXPECT_EQ(EvaluateText(kXdp, {code_.get()}), std::nullopt);
}

}  // namespace
}  // namespace orra
