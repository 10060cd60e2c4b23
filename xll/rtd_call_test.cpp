#include "xll/rtd_call.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

#include "testing/simulated_excel.h"
#include "testing/xloper_values.h"

namespace orra {
namespace {

using testing::SimulatedExcel;

class RtdCallTest : public ::testing::Test {
 protected:
  void TearDown() override {
    EXPECT_EQ(excel_.outstanding(), 0u);
    EXPECT_EQ(excel_.bad_frees(), 0);
  }
  SimulatedExcel excel_;
};

TEST_F(RtdCallTest, TheProgIdAndTheLocalServerComeFirstThenTheTopicsThatAreSent) {
  const XlText address(u"'[Book1.xlsx]Sheet1'!A1"), placement(u"ROW=1:COL=1"), row_only(u"row=1");
  const XLOPER12 id = XlInteger(0), missing = XlOfType(xltypeMissing), number = XlNumber(2.5), yes = XlBool(true);
  const XLOPER12* const topics[] = {address.get(), &id, &missing, nullptr, placement.get(), row_only.get(), &number, &yes};
  excel_.SetRtdAnswer({u"'[Book1.xlsx]Sheet1'!A1", u"0", u"row=1", u"2.5", u"TRUE"}, 17);
  EXPECT_EQ(CallRtd(excel_, topics), 17);

  ASSERT_EQ(excel_.calls().size(), 1u);
  const auto& call = excel_.calls()[0];
  ASSERT_EQ(call.arguments.size(), 2u + 5u);
  EXPECT_EQ(call.texts[0], kRtdProgId);
  EXPECT_EQ(BaseType(call.arguments[1]), xltypeStr);
  EXPECT_EQ(call.texts[1], u"");
  // Kept topics go unchanged, whatever their type.
  EXPECT_EQ(call.arguments[3].xltype, xltypeInt);
  EXPECT_EQ(call.arguments[5].xltype, xltypeNum);
  EXPECT_EQ(call.arguments[6].xltype, xltypeBool);
}

TEST_F(RtdCallTest, AFailedCallOrAValueThatIsNoHandleGivesNone) {
  const XlText topic(u"t");
  const XLOPER12* const topics[] = {topic.get()};
  excel_.FailNext(xlfRtd, xlretUncalced);
  EXPECT_EQ(CallRtd(excel_, topics), std::nullopt);
  excel_.SetRtdTextAnswer({u"t"}, u"Fetching");
  EXPECT_EQ(CallRtd(excel_, topics), std::nullopt);
  excel_.SetRtdTextAnswer({u"t"}, u" 12 ");
  EXPECT_EQ(CallRtd(excel_, topics), 12);
  // More topics than any function of the family sends are not sent at all.
  const std::vector<const XLOPER12*> too_many(kMaxTopics + 1, topic.get());
  excel_.ClearCalls();
  EXPECT_EQ(CallRtd(excel_, too_many), std::nullopt);
  EXPECT_TRUE(excel_.calls().empty());
}

TEST_F(RtdCallTest, ReadRtdHandleTruncatesAndCoerces) {
  EXPECT_EQ(ReadRtdHandle(excel_, XlNumber(12.9)), 12);
  EXPECT_EQ(ReadRtdHandle(excel_, XlNumber(-1.5)), -1);
  EXPECT_EQ(ReadRtdHandle(excel_, XlNumber(-1)), -1);
  EXPECT_EQ(ReadRtdHandle(excel_, XlBool(true)), 1);
  EXPECT_EQ(ReadRtdHandle(excel_, XlBool(false)), 0);
  EXPECT_EQ(ReadRtdHandle(excel_, XlInteger(-7)), -7);
  EXPECT_EQ(excel_.CountOf(xlCoerce), 0u);
  const XlText digits(u"2147483647"), word(u"ab");
  EXPECT_EQ(ReadRtdHandle(excel_, digits.value()), 2147483647);
  EXPECT_EQ(ReadRtdHandle(excel_, word.value()), std::nullopt);
  EXPECT_EQ(excel_.CountOf(xlCoerce), 2u);

  for (const XLOPER12& unreadable :
       {XlError(xlerrNA), XlOfType(xltypeNil), XlOfType(xltypeMissing), XlNumber(2147483648.0), XlNumber(-2147483649.0),
        XlNumber(std::numeric_limits<double>::quiet_NaN()), XlNumber(std::numeric_limits<double>::infinity())}) {
    EXPECT_EQ(ReadRtdHandle(excel_, unreadable), std::nullopt) << unreadable.xltype;
  }
}

}  // namespace
}  // namespace orra
