#include "tools/xlhost/workbook.h"

#include <gtest/gtest.h>

#include <vector>

namespace orra::xlhost {
namespace {

class WorkbookTest : public ::testing::Test {
 protected:
  CellRange Range(int32_t row, int32_t column, int32_t last_row, int32_t last_column) {
    return CellRange{{row, column}, {last_row, last_column}};
  }
  bool Write(CellAddress cell, GridValue value) {
    std::string error;
    return workbook_.Write(cell, value, error);
  }

  Sheet sheet_{u"Book1.xlsx", u"Sheet1", 1};
  std::vector<CellAddress> evaluated_;
  Workbook workbook_{sheet_, [this](CellAddress cell) { evaluated_.push_back(cell); }};
};

TEST_F(WorkbookTest, ATextStartingWithEqualsBecomesAFormulaEvaluatedAtOnce) {
  ASSERT_TRUE(Write({1, 1}, u"=ORRA(\"600000.SH\", A1)"));
  const Cell* cell = sheet_.Find({1, 1});
  ASSERT_TRUE(cell && cell->formula);
  EXPECT_EQ(cell->formula->name, "ORRA");
  EXPECT_EQ(evaluated_, (std::vector<CellAddress>{{1, 1}}));

  ASSERT_TRUE(Write({0, 0}, u"plain"));
  ASSERT_TRUE(Write({0, 1}, 2.5));
  EXPECT_EQ(sheet_.ValueAt({0, 0}), GridValue(u"plain"));
  EXPECT_EQ(sheet_.ValueAt({0, 1}), GridValue(2.5));
  ASSERT_TRUE(Write({0, 1}, GridValue{}));
  EXPECT_EQ(sheet_.Find({0, 1}), nullptr) << "an empty value clears the cell";
  EXPECT_EQ(evaluated_.size(), 1u) << "constants are not evaluated";

  std::string error;
  EXPECT_FALSE(workbook_.Write({2, 2}, u"=1+", error));
  EXPECT_FALSE(error.empty());
  EXPECT_EQ(sheet_.Find({2, 2}), nullptr);
}

TEST_F(WorkbookTest, RecalculatesOnlyWhileCalculationIsOn) {
  ASSERT_TRUE(Write({0, 0}, u"=F()"));
  ASSERT_TRUE(Write({3, 0}, u"=G()"));
  ASSERT_TRUE(Write({3, 1}, 1.0));
  evaluated_.clear();

  workbook_.Dirty(Range(2, 0, 5, 5));
  EXPECT_EQ(evaluated_, (std::vector<CellAddress>{{3, 0}})) << "the range's formulas only";
  evaluated_.clear();
  workbook_.CalculateFull();
  EXPECT_EQ(evaluated_, (std::vector<CellAddress>{{0, 0}, {3, 0}}));
  evaluated_.clear();

  workbook_.SetCalculationEnabled(false);
  workbook_.CalculateFull();
  workbook_.Dirty(Range(0, 0, 9, 9));
  ASSERT_TRUE(Write({5, 5}, u"=H()"));
  EXPECT_TRUE(evaluated_.empty()) << "a sheet whose calculation is off is never evaluated";
  workbook_.SetCalculationEnabled(false);
  EXPECT_TRUE(evaluated_.empty());
  workbook_.SetCalculationEnabled(true);
  EXPECT_EQ(evaluated_, (std::vector<CellAddress>{{0, 0}, {3, 0}, {5, 5}})) << "switched on, it recalculates";
  evaluated_.clear();
  workbook_.SetCalculationEnabled(true);
  EXPECT_TRUE(evaluated_.empty()) << "only a switch from off recalculates";
}

TEST_F(WorkbookTest, FormatsAreSharedOrNone) {
  EXPECT_EQ(workbook_.NumberFormat(Range(0, 0, 2, 2)), std::u16string(kGeneralFormat));
  EXPECT_EQ(workbook_.HorizontalAlignment(Range(0, 0, 2, 2)), kAlignGeneral);
  ASSERT_TRUE(workbook_.SetNumberFormat(Range(1, 1, 1, 5), u"yyyy-mm-dd"));
  ASSERT_TRUE(workbook_.SetHorizontalAlignment(Range(1, 1, 1, 1), kAlignRight));
  EXPECT_EQ(workbook_.NumberFormat(Range(1, 1, 1, 5)), u"yyyy-mm-dd");
  EXPECT_EQ(workbook_.NumberFormat(Range(1, 1, 1, 6)), std::nullopt) << "cells that differ";
  EXPECT_EQ(workbook_.HorizontalAlignment(Range(1, 1, 1, 1)), kAlignRight);
  EXPECT_EQ(workbook_.HorizontalAlignment(Range(1, 1, 1, 2)), std::nullopt);

  ASSERT_TRUE(Write({1, 1}, 3.0));
  EXPECT_EQ(workbook_.NumberFormat(Range(1, 1, 1, 1)), u"yyyy-mm-dd") << "a value keeps the cell's format";
  EXPECT_FALSE(workbook_.SetHorizontalAlignment(Range(0, 0, 0, 0), 2)) << "no XlHAlign";
  EXPECT_FALSE(workbook_.SetNumberFormat(Range(0, 0, 1048575, 1), u"@")) << "two whole columns are over the bound";
  EXPECT_EQ(workbook_.NumberFormat(Range(0, 0, 0, 0)), std::u16string(kGeneralFormat));
}

TEST_F(WorkbookTest, SelectingAndActivatingFollowExcel) {
  workbook_.Select(Range(1, 1, 4, 2));
  EXPECT_EQ(workbook_.active_cell(), (CellAddress{1, 1}));
  workbook_.Activate({3, 2});
  EXPECT_EQ(workbook_.selection(), Range(1, 1, 4, 2)) << "a cell inside keeps the selection";
  workbook_.Activate({7, 7});
  EXPECT_EQ(workbook_.selection(), Range(7, 7, 7, 7));
}

TEST_F(WorkbookTest, ReadsValuesByRowsWithinTheBound) {
  ASSERT_TRUE(Write({0, 1}, u"x"));
  const auto values = workbook_.Values(Range(0, 0, 1, 1));
  ASSERT_TRUE(values);
  ASSERT_EQ(values->size(), 2u);
  EXPECT_EQ((*values)[0], (std::vector<GridValue>{GridValue{}, GridValue(u"x")}));
  EXPECT_FALSE(workbook_.Values(Range(0, 0, 1048575, 1)));
}

TEST_F(WorkbookTest, NamesItsSheetWithoutRegardToCase) {
  RangeReference reference;
  EXPECT_TRUE(workbook_.Names(reference));
  reference.sheet = u"SHEET1";
  EXPECT_TRUE(workbook_.Names(reference));
  reference.book = u"book1.XLSX";
  EXPECT_TRUE(workbook_.Names(reference));
  reference.book = u"Book2.xlsx";
  EXPECT_FALSE(workbook_.Names(reference));
  reference.book.reset();
  reference.sheet = u"Sheet2";
  EXPECT_FALSE(workbook_.Names(reference));
}

}  // namespace
}  // namespace orra::xlhost
