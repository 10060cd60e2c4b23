#include "xll/worksheet_function_exports.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <functional>
#include <string>
#include <vector>

#include "request/cell_messages.h"
#include "request/requests_dictionary.h"
#include "testing/result_set_writer.h"
#include "testing/simulated_excel.h"
#include "testing/test_env.h"
#include "testing/xloper_values.h"
#include "transport/query_reply.h"
#include "xll/value_kind.h"
#include "xll/worksheet_function_table.h"
#include "xll/xll_services.h"

namespace orra {
namespace {

using testing::SimulatedExcel;
using Arguments = std::array<XLOPER12*, kMaxWorksheetArguments>;

struct Export {
  std::string name;
  size_t argument_count;
  std::function<XLOPER12*(const Arguments&)> call;
};

// Every export, called by its own name with the first argument_count of 19 arguments.
#define ORRA_EXPORT_CALLER(function, id, count)                                                        \
  Export{#function, count, [](const Arguments& a) {                                                    \
           return [&a]<size_t... I>(std::index_sequence<I...>) { return function(a[I]...); }(          \
               std::make_index_sequence<count>());                                                    \
         }},
const std::vector<Export>& Exports() {
  static const std::vector<Export> exports = {ORRA_FOR_EACH_WORKSHEET_FUNCTION(ORRA_EXPORT_CALLER)};
  return exports;
}
#undef ORRA_EXPORT_CALLER

constexpr TopicId kAnsweredTopic = 5;

// A result Excel can take: none, a finite number, an error, or a text whose every unit can be read.
void ExpectValidResult(const XLOPER12* result, const std::string& context) {
  if (result == nullptr) return;
  switch (result->xltype) {
    case xltypeNum:
      EXPECT_TRUE(std::isfinite(result->val.num)) << context;
      break;
    case xltypeErr:
      break;
    case xltypeStr: {
      const auto text = TextOf(*result);
      ASSERT_TRUE(text) << context;
      size_t sum = 0;
      for (char16_t unit : *text) sum += unit;  // reads every unit, for the sanitizer
      EXPECT_GE(sum, 0u);
      break;
    }
    default:
      ADD_FAILURE() << context << ": result of type " << result->xltype;
  }
}

class WorksheetFunctionExportsTest : public ::testing::Test {
 protected:
  WorksheetFunctionExportsTest() {
    excel_.SetCaller(SimulatedExcel::kFirstSheet, 0, 0);
    InstalledXllServices() = XllServices{&excel_, &requests_, &messages_, &env_, nullptr};
  }
  ~WorksheetFunctionExportsTest() override { InstalledXllServices() = XllServices{}; }
  void TearDown() override {
    EXPECT_EQ(excel_.outstanding(), 0u);
    EXPECT_EQ(excel_.bad_frees(), 0);
  }
  void AnswerEveryTopicWithANumber() {
    ResultSetWriter writer;
    writer.AddColumn("v", static_cast<uint16_t>(ColumnType::kDouble));
    writer.AddRow({EncodeDouble(3.25)});
    tagRequest record(kAnsweredTopic);
    record.SetStatus(RequestStatus::kAnswered);
    record.value_kind = static_cast<uint8_t>(ValueKind::kNumber);
    record.result = SharedBlock(PooledBlock::CopyOf(MakeTableReply(writer.Finish())));
    requests_.Store(record);
    excel_.SetDefaultRtdAnswer(kAnsweredTopic);
  }

  SimulatedExcel excel_;
  testing::TestEnv env_;
  RequestsDictionary requests_{env_};
  CellMessageTable messages_;
};

TEST_F(WorksheetFunctionExportsTest, ExcelCallsXdpByNameWithItsSixteenArguments) {
  XlText code(u"600000.SH"), indicator(u"close");
  XLOPER12 m = XlOfType(xltypeMissing);
  XLOPER12* const c = const_cast<XLOPER12*>(code.get());
  XLOPER12* const i = const_cast<XLOPER12*>(indicator.get());
  const XLOPER12* result = XDP(c, i, &m, &m, &m, &m, &m, &m, &m, &m, &m, &m, &m, &m, &m, &m);
  ASSERT_NE(result, nullptr);
  EXPECT_EQ(TextOf(*result), u"Fetching...");
  EXPECT_EQ(excel_.rtd_calls(),
            (std::vector<std::vector<std::u16string>>{{u"'[Book1.xlsx]Sheet1'!A1", u"0", u"600000.SH", u"close"}}));

  AnswerEveryTopicWithANumber();
  result = XDP(c, i, &m, &m, &m, &m, &m, &m, &m, &m, &m, &m, &m, &m, &m, &m);
  ASSERT_NE(result, nullptr);
  EXPECT_EQ(result->xltype, xltypeNum);
  EXPECT_EQ(result->val.num, 3.25);
  EXPECT_EQ(TextOf(*QX_PDH(c, i, c, c, c, &m, &m, &m, &m, &m, &m, &m, &m, &m, &m, &m, &m, &m, &m)), u"Fetching...");

  // Without installed services there is no Excel to ask.
  InstalledXllServices() = XllServices{};
  EXPECT_EQ(XDP(c, i, &m, &m, &m, &m, &m, &m, &m, &m, &m, &m, &m, &m, &m, &m), nullptr);
}

TEST_F(WorksheetFunctionExportsTest, EveryExportTakesAnyValueInAnyArgument) {
  AnswerEveryTopicWithANumber();
  XlText plain(u"a"), longest(std::u16string(kMaxXlTextUnits, u'w')), placement(u"ROW=1:COL=1"),
      keyword(u"STARTDATE");
  XlText element_text(u"e");
  XLOPER12 elements[] = {XlNumber(1), element_text.value(), XlBool(false), XlOfType(xltypeNil)};
  XLMREF12 areas{1, {XLREF12{0, 3, 0, 3}}};
  XLOPER12 reference = XlOfType(xltypeRef);
  reference.val.mref.lpmref = &areas;
  reference.val.mref.idSheet = SimulatedExcel::kFirstSheet;
  XLOPER12 empty_array = XlArray(nullptr, 0, 0);
  std::vector<XLOPER12> values = {
      XlNumber(43831.5),
      XlNumber(-1e300),
      XlNumber(std::nan("")),
      plain.value(),
      longest.value(),
      placement.value(),
      keyword.value(),
      XlBool(true),
      XlError(xlerrNA),
      XlInteger(-2147483647 - 1),
      XlOfType(xltypeNil),
      XlOfType(xltypeMissing),
      XlArray(elements, 2, 2),
      empty_array,
      reference,
      XlSingleRef(0, 0, 0, 0),
      XlOfType(xltypeFlow),
      XlOfType(0),
  };
  std::vector<XLOPER12*> candidates;
  for (XLOPER12& value : values) candidates.push_back(&value);
  candidates.push_back(nullptr);  // never passed by Excel

  XLOPER12* const a = const_cast<XLOPER12*>(plain.get());
  size_t calls = 0;
  for (const Export& e : Exports()) {
    for (size_t v = 0; v < candidates.size(); ++v) {
      Arguments all;
      all.fill(candidates[v]);
      ExpectValidResult(e.call(all), e.name + " all arguments value " + std::to_string(v));
      for (size_t position = 0; position < e.argument_count; ++position) {
        Arguments one;
        one.fill(a);
        one[position] = candidates[v];
        // A keyword before the argument, so that date conversion meets every value too.
        if (position > 0) one[position - 1] = const_cast<XLOPER12*>(keyword.get());
        ExpectValidResult(e.call(one), e.name + " argument " + std::to_string(position) + " value " +
                                           std::to_string(v));
        ++calls;
      }
      excel_.ClearCalls();
    }
  }
  EXPECT_GT(calls, 35u * candidates.size());
  EXPECT_EQ(requests_.Size(), 1u) << "evaluating adds no record";
}

}  // namespace
}  // namespace orra
