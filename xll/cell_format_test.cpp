#include "xll/cell_format.h"

#include <gtest/gtest.h>

#include <stdexcept>

#include "common/debug_output.h"
#include "testing/grid_object_model.h"
#include "testing/test_env.h"

namespace orra {
namespace {

constexpr char16_t kCell[] = u"'[Book1.xlsx]Sheet1'!B2";

class ApplyCellFormatTest : public ::testing::Test {
 protected:
  ApplyCellFormatTest() {
    grid_.AddSheet(u"Book1.xlsx", u"Sheet1");
    std::copy(std::begin(kCell), std::end(kCell), request_.caller_address);
  }

  GridCell Apply(ValueKind kind, bool date_only = false) {
    request_.value_kind = static_cast<uint8_t>(kind);
    taken_ = ApplyCellFormat(&grid_, request_, date_only, env_);
    return *grid_.Cell(kCell);
  }

  testing::TestEnv env_;
  GridObjectModel grid_;
  tagRequest request_{7};
  bool taken_ = false;  // what the last Apply answered
};

TEST_F(ApplyCellFormatTest, NumbersTakeTheirDecimals) {
  request_.decimals = 2;
  EXPECT_EQ(Apply(ValueKind::kNumber).number_format, u"#,##0.00");
  EXPECT_TRUE(taken_);
  request_.decimals = 0;
  EXPECT_EQ(Apply(ValueKind::kNumber).number_format, u"#,##0");
  request_.decimals = kMaxDecimals;
  const auto widest = Apply(ValueKind::kNumber).number_format;
  ASSERT_TRUE(widest);
  EXPECT_EQ(widest->size(), 63u);
  EXPECT_EQ(*widest, u"#,##0." + std::u16string(57, u'0'));
}

TEST_F(ApplyCellFormatTest, DatesTakeTheDateOnlyOrTheDateTimeTable) {
  request_.date_style = 1;
  EXPECT_EQ(Apply(ValueKind::kDateTime, true).number_format, u"yyyy年MM月dd日");
  EXPECT_EQ(Apply(ValueKind::kDateTime, false).number_format, u"yyyy年MM月dd日 hh时mm分ss秒");
  request_.date_style = 5;
  EXPECT_EQ(Apply(ValueKind::kDateTime, true).number_format, u"[DBNum1][$-804]yyyy\"年\"m\"月\"d\"日\";@");
  EXPECT_EQ(Apply(ValueKind::kDateTime, false).number_format,
            u"[DBNum1][$-804]yyyy\"年\"m\"月\"d\"日\" h\"时\"mm\"分\"ss\"秒\";@");
  request_.date_style = 3;
  EXPECT_EQ(Apply(ValueKind::kDateTime, true).number_format, u"yyyyMMdd");
  EXPECT_EQ(Apply(ValueKind::kDateTime, false).number_format, u"yyyyMMdd hhmmss");
}

TEST_F(ApplyCellFormatTest, AlignmentAppliesToEveryKindAndTextsGetNoNumberFormat) {
  request_.alignment = 1;
  const GridCell text = Apply(ValueKind::kText);
  EXPECT_EQ(text.number_format, std::nullopt);
  EXPECT_EQ(text.horizontal_alignment, kAlignCenter);
  EXPECT_TRUE(taken_);
  request_.alignment = 0;
  EXPECT_EQ(Apply(ValueKind::kNumber).horizontal_alignment, kAlignLeft);
  request_.alignment = 2;
  EXPECT_EQ(Apply(ValueKind::kDateTime).horizontal_alignment, kAlignRight);
  request_.value_kind = 3;
  ApplyCellFormat(&grid_, request_, false, env_);
  EXPECT_EQ(grid_.Cell(kCell)->horizontal_alignment, kAlignRight);
}

TEST_F(ApplyCellFormatTest, AnAttributeBeyondItsTableSetsNothingButTheOtherStillApplies) {
  request_.alignment = 3;
  request_.decimals = 2;
  GridCell cell = Apply(ValueKind::kNumber);
  EXPECT_EQ(cell.number_format, u"#,##0.00");
  EXPECT_EQ(cell.horizontal_alignment, std::nullopt);

  GridObjectModel fresh;
  fresh.AddSheet(u"Book1.xlsx", u"Sheet1");
  request_.alignment = 2;
  request_.decimals = kMaxDecimals + 1;
  request_.value_kind = static_cast<uint8_t>(ValueKind::kNumber);
  // A damaged attribute counts as taken: asking again could not set it either.
  EXPECT_TRUE(ApplyCellFormat(&fresh, request_, false, env_));
  EXPECT_EQ(fresh.Cell(kCell)->number_format, std::nullopt);
  EXPECT_EQ(fresh.Cell(kCell)->horizontal_alignment, kAlignRight);

  request_.date_style = 6;
  request_.value_kind = static_cast<uint8_t>(ValueKind::kDateTime);
  ApplyCellFormat(&fresh, request_, true, env_);
  EXPECT_EQ(fresh.Cell(kCell)->number_format, std::nullopt);
  EXPECT_TRUE(env_.DebugText().empty());
}

TEST_F(ApplyCellFormatTest, WithoutExcelOrAddressNothingHappens) {
  request_.value_kind = static_cast<uint8_t>(ValueKind::kNumber);
  EXPECT_FALSE(ApplyCellFormat(nullptr, request_, false, env_));
  request_.caller_address[0] = 0;
  grid_.FailCall(GridCall::kSetNumberFormatLocal, u"must not be called");
  grid_.FailCall(GridCall::kSetHorizontalAlignment, u"must not be called");
  EXPECT_FALSE(ApplyCellFormat(&grid_, request_, false, env_));
  EXPECT_TRUE(env_.DebugText().empty());
}

TEST_F(ApplyCellFormatTest, ARefusalIsReportedAndEndsTheFormatting) {
  grid_.FailCall(GridCall::kSetNumberFormatLocal, u"Unable to set the NumberFormatLocal property");
  request_.decimals = 2;
  const GridCell cell = Apply(ValueKind::kNumber);
  EXPECT_EQ(cell.horizontal_alignment, std::nullopt);
  EXPECT_FALSE(taken_);
  EXPECT_EQ(env_.DebugText(), u"[ApplyCellFormat] Unable to set the NumberFormatLocal property\r\n");

  env_.ClearDebugText();
  ASSERT_TRUE(grid_.DeleteSheet(u"[Book1.xlsx]Sheet1"));
  grid_.ClearFailure(GridCall::kSetNumberFormatLocal);
  request_.value_kind = static_cast<uint8_t>(ValueKind::kText);
  EXPECT_FALSE(ApplyCellFormat(&grid_, request_, false, env_));
  EXPECT_NE(env_.DebugText().find(u"does not exist"), std::u16string::npos);
}

TEST_F(ApplyCellFormatTest, AnAddressFillingItsFieldIsReadNoFurther) {
  std::fill(std::begin(request_.caller_address), std::end(request_.caller_address), u'A');
  ApplyCellFormat(&grid_, request_, false, env_);  // unresolvable; must not read past the field
  EXPECT_NE(env_.DebugText().find(std::u16string(kCallerAddressUnits, u'A')), std::u16string::npos);
}

class ThrowingExcel : public ExcelObjectModel {
 public:
  std::optional<SheetKey> ActiveSheet() override { return std::nullopt; }
  std::optional<SheetKey> SheetOf(std::u16string_view) override { return std::nullopt; }
  std::optional<bool> SelectionIntersects(std::u16string_view) override { return std::nullopt; }
  bool SetEnableCalculation(const SheetKey&, bool) override { return false; }
  bool DirtySelection() override { return false; }
  bool CalculateFull() override { return false; }
  bool SetNumberFormatLocal(std::u16string_view, std::u16string_view) override { throw std::runtime_error("x"); }
  bool SetHorizontalAlignment(std::u16string_view, int32_t) override { throw std::bad_alloc(); }
  bool SetScreenUpdating(bool) override { return false; }
  bool WriteAtActiveCell(const SheetTable&) override { return false; }
  bool SetActiveBlockNumberFormatLocal(size_t, size_t, std::u16string_view) override { return false; }
  std::u16string LastError() const override { return {}; }
};

TEST_F(ApplyCellFormatTest, NothingThrownInsideEscapes) {
  ThrowingExcel excel;
  request_.value_kind = static_cast<uint8_t>(ValueKind::kNumber);
  EXPECT_FALSE(ApplyCellFormat(&excel, request_, false, env_));
  request_.value_kind = static_cast<uint8_t>(ValueKind::kText);
  EXPECT_FALSE(ApplyCellFormat(&excel, request_, false, env_));
}

}  // namespace
}  // namespace orra
