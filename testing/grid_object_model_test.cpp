#include "testing/grid_object_model.h"

#include <gtest/gtest.h>

namespace orra {
namespace {

class GridObjectModelTest : public ::testing::Test {
 protected:
  GridObjectModelTest() {
    book1_sheet1_ = grid_.AddSheet(u"Book1.xlsx", u"Sheet1");
    book1_sheet2_ = grid_.AddSheet(u"Book1.xlsx", u"Sheet2");
    book2_sheet1_ = grid_.AddSheet(u"Book2", u"Sheet1");
  }

  std::optional<std::u16string> FormatAt(std::u16string_view address) const {
    const auto cell = grid_.Cell(address);
    return cell ? cell->number_format : std::nullopt;
  }

  GridObjectModel grid_;
  SheetKey book1_sheet1_, book1_sheet2_, book2_sheet1_;
};

TEST_F(GridObjectModelTest, EveryFormOfAnAddressNamesTheSameCell) {
  ASSERT_TRUE(grid_.SetNumberFormatLocal(u"'[Book1.xlsx]Sheet1'!B2", u"0.00"));
  for (std::u16string_view address :
       {u"'[Book1.xlsx]Sheet1'!$B$2", u"[Book1.xlsx]Sheet1!B2", u"'[book1.XLSX]sheet1'!b2", u"Sheet1!$B2", u"B$2"}) {
    EXPECT_EQ(FormatAt(address), u"0.00") << std::string(address.begin(), address.end());
  }
  EXPECT_EQ(FormatAt(u"'[Book1.xlsx]Sheet1'!B3"), std::nullopt);
  EXPECT_EQ(FormatAt(u"'[Book2]Sheet1'!B2"), std::nullopt);
  // The workbook's name is its whole name, extension included.
  EXPECT_FALSE(grid_.Cell(u"'[Book1]Sheet1'!B2"));
}

TEST_F(GridObjectModelTest, SheetsAreKeyedByTheObjectTheyName) {
  EXPECT_EQ(grid_.SheetOf(u"'[Book1.xlsx]Sheet1'!A1"), book1_sheet1_);
  EXPECT_EQ(grid_.SheetOf(u"'[BOOK1.xlsx]SHEET1'!C5:D9"), book1_sheet1_);
  EXPECT_EQ(grid_.SheetOf(u"[Book2]Sheet1!A1"), book2_sheet1_);
  EXPECT_EQ(grid_.AddSheet(u"book2", u"sheet1"), book2_sheet1_);
  EXPECT_NE(book1_sheet1_, book1_sheet2_);
  EXPECT_EQ(grid_.Sheets().size(), 3u);
}

TEST_F(GridObjectModelTest, UnqualifiedAddressesFollowTheActiveSheet) {
  EXPECT_EQ(grid_.ActiveSheet(), book1_sheet1_);  // the first sheet added
  ASSERT_TRUE(grid_.Activate(book2_sheet1_));
  EXPECT_EQ(grid_.SheetOf(u"A1"), book2_sheet1_);
  // A sheet named without its workbook is looked for in the active sheet's workbook.
  EXPECT_EQ(grid_.SheetOf(u"Sheet1!A1"), book2_sheet1_);
  EXPECT_FALSE(grid_.SheetOf(u"Sheet2!A1"));
}

TEST_F(GridObjectModelTest, MalformedAddressesDoNotResolve) {
  for (std::u16string_view address :
       {u"", u"!", u"'[Book1.xlsx]Sheet1'!", u"'[Book1.xlsx]Sheet1!A1", u"'[Book1.xlsx]Sheet1'A1", u"[Book1.xlsxSheet1!A1",
        u"[]Sheet1!A1", u"[Book1.xlsx]!A1", u"A0", u"A1048577", u"XFE1", u"AAAA1", u"1A", u"A", u"A1:", u"A1:B",
        u"A1B2", u"A1 ", u"A123456789", u"'[Nowhere]Sheet1'!A1"}) {
    EXPECT_FALSE(grid_.SheetOf(address)) << std::string(address.begin(), address.end());
    EXPECT_FALSE(grid_.LastError().empty());
  }
  EXPECT_TRUE(grid_.SheetOf(u"XFD1048576"));
}

TEST_F(GridObjectModelTest, QuotedNamesMayHoldApostrophes) {
  const SheetKey sheet = grid_.AddSheet(u"Q1 Book.xlsx", u"Bob's");
  ASSERT_TRUE(grid_.Select(u"'[Q1 Book.xlsx]Bob''s'!C3:B2"));
  ASSERT_TRUE(grid_.DirtySelection());
  ASSERT_EQ(grid_.DirtiedRanges().size(), 1u);
  const std::u16string dirtied = grid_.DirtiedRanges()[0];
  EXPECT_EQ(dirtied, u"'[Q1 Book.xlsx]Bob''s'!B2:C3");
  EXPECT_EQ(grid_.SheetOf(dirtied), sheet);
}

TEST_F(GridObjectModelTest, RangeWritesReachEveryCellAndListingsAreInRowOrder) {
  ASSERT_TRUE(grid_.SetHorizontalAlignment(u"'[Book1.xlsx]Sheet1'!$C$3:$B$2", kAlignRight));
  ASSERT_TRUE(grid_.SetValue(u"A10", GridValue(u"text")));
  ASSERT_TRUE(grid_.SetValue(u"AB1", GridValue(2.5)));
  const auto cells = grid_.CellsOf(book1_sheet1_);
  std::vector<std::u16string> references;
  for (const auto& entry : cells) references.push_back(entry.reference);
  EXPECT_EQ(references, (std::vector<std::u16string>{u"AB1", u"B2", u"C2", u"B3", u"C3", u"A10"}));
  EXPECT_EQ(cells[1].cell.horizontal_alignment, kAlignRight);
  EXPECT_EQ(std::get<double>(cells[0].cell.value), 2.5);
  EXPECT_TRUE(grid_.CellsOf(book1_sheet2_).empty());
  EXPECT_FALSE(grid_.Cell(u"B2:C3"));  // inspection is of one cell
}

TEST_F(GridObjectModelTest, AWholeSheetIsTooLargeToWrite) {
  EXPECT_FALSE(grid_.SetNumberFormatLocal(u"A1:XFD1048576", u"0"));
  EXPECT_FALSE(grid_.LastError().empty());
  EXPECT_TRUE(grid_.CellsOf(book1_sheet1_).empty());
}

TEST_F(GridObjectModelTest, SelectionIntersection) {
  EXPECT_EQ(grid_.SelectionIntersects(u"B2"), std::nullopt);  // nothing selected yet
  ASSERT_TRUE(grid_.Select(u"'[Book1.xlsx]Sheet2'!B2:D4"));
  EXPECT_EQ(grid_.ActiveSheet(), book1_sheet2_);
  EXPECT_EQ(grid_.SelectionIntersects(u"'[Book1.xlsx]Sheet2'!D4"), true);
  EXPECT_EQ(grid_.SelectionIntersects(u"'[Book1.xlsx]Sheet2'!A1:B2"), true);
  EXPECT_EQ(grid_.SelectionIntersects(u"'[Book1.xlsx]Sheet2'!E4"), false);
  EXPECT_EQ(grid_.SelectionIntersects(u"'[Book1.xlsx]Sheet2'!A5:Z9"), false);
  EXPECT_EQ(grid_.SelectionIntersects(u"'[Book1.xlsx]Sheet1'!C3"), false);
  EXPECT_EQ(grid_.SelectionIntersects(u"'[Gone]Sheet1'!C3"), std::nullopt);
  grid_.ClearSelection();
  EXPECT_EQ(grid_.SelectionIntersects(u"'[Book1.xlsx]Sheet2'!C3"), std::nullopt);
  EXPECT_FALSE(grid_.DirtySelection());
}

TEST_F(GridObjectModelTest, ADeletedSheetNoLongerResolves) {
  ASSERT_TRUE(grid_.SetValue(u"'[Book1.xlsx]Sheet2'!A1", GridValue(1.0)));
  ASSERT_TRUE(grid_.Select(u"'[Book1.xlsx]Sheet2'!A1"));
  ASSERT_TRUE(grid_.DeleteSheet(book1_sheet2_));
  EXPECT_FALSE(grid_.SheetOf(u"'[Book1.xlsx]Sheet2'!A1"));
  EXPECT_NE(grid_.LastError().find(u"does not exist"), std::u16string::npos);
  EXPECT_FALSE(grid_.SetNumberFormatLocal(u"'[Book1.xlsx]Sheet2'!A1", u"0"));
  EXPECT_FALSE(grid_.ActiveSheet());
  EXPECT_FALSE(grid_.DirtySelection());
  EXPECT_FALSE(grid_.SetEnableCalculation(book1_sheet2_, false));
  EXPECT_FALSE(grid_.DeleteSheet(book1_sheet2_));
  EXPECT_EQ(grid_.SheetOf(u"'[Book1.xlsx]Sheet1'!A1"), book1_sheet1_);
}

TEST_F(GridObjectModelTest, RecordsWhatRefreshCommandsAsk) {
  ASSERT_TRUE(grid_.SetEnableCalculation(book1_sheet1_, false));
  ASSERT_TRUE(grid_.SetEnableCalculation(book1_sheet1_, true));
  ASSERT_TRUE(grid_.SetEnableCalculation(book2_sheet1_, false));
  const auto& changes = grid_.EnableCalculationChanges();
  ASSERT_EQ(changes.size(), 3u);
  EXPECT_EQ(changes[0].sheet, book1_sheet1_);
  EXPECT_FALSE(changes[0].enabled);
  EXPECT_TRUE(changes[1].enabled);
  EXPECT_EQ(grid_.EnableCalculation(book1_sheet1_), true);
  EXPECT_EQ(grid_.EnableCalculation(book2_sheet1_), false);
  EXPECT_EQ(grid_.EnableCalculation(u"[x]y"), std::nullopt);

  ASSERT_TRUE(grid_.Select(u"B2"));
  ASSERT_TRUE(grid_.DirtySelection());
  EXPECT_EQ(grid_.DirtiedRanges(), std::vector<std::u16string>{u"'[Book1.xlsx]Sheet1'!B2"});
  ASSERT_TRUE(grid_.CalculateFull());
  ASSERT_TRUE(grid_.CalculateFull());
  EXPECT_EQ(grid_.CalculateFullCount(), 2);
}

TEST_F(GridObjectModelTest, AFailingCallDoesNothingAndSaysWhy) {
  grid_.FailCall(GridCall::kSetNumberFormatLocal, u"Unable to set the NumberFormatLocal property");
  EXPECT_FALSE(grid_.SetNumberFormatLocal(u"B2", u"0.00"));
  EXPECT_EQ(grid_.LastError(), u"Unable to set the NumberFormatLocal property");
  EXPECT_EQ(FormatAt(u"B2"), std::nullopt);
  EXPECT_TRUE(grid_.SetHorizontalAlignment(u"B2", kAlignLeft));  // other calls still work
  grid_.ClearFailure(GridCall::kSetNumberFormatLocal);
  EXPECT_TRUE(grid_.SetNumberFormatLocal(u"B2", u"0.00"));
  EXPECT_EQ(FormatAt(u"B2"), u"0.00");

  grid_.FailCall(GridCall::kCalculateFull, u"busy");
  grid_.FailCall(GridCall::kActiveSheet, u"no window");
  grid_.FailCall(GridCall::kSheetOf, u"1004");
  EXPECT_FALSE(grid_.CalculateFull());
  EXPECT_EQ(grid_.CalculateFullCount(), 0);
  EXPECT_FALSE(grid_.ActiveSheet());
  EXPECT_EQ(grid_.LastError(), u"no window");
  EXPECT_FALSE(grid_.SheetOf(u"B2"));
  EXPECT_EQ(grid_.LastError(), u"1004");
}

TEST_F(GridObjectModelTest, TablesGoToTheActiveCellResizedToTheirShape) {
  ASSERT_TRUE(grid_.Select(u"'[Book1.xlsx]Sheet2'!C3:E9"));  // the active cell is C3
  const auto table = SheetTable::FromRows(2, 2, {1.0, u"b", true, SheetValue()});
  ASSERT_TRUE(grid_.WriteAtActiveCell(*table));
  EXPECT_EQ(grid_.WrittenBlocks(), std::vector<std::u16string>{u"'[Book1.xlsx]Sheet2'!C3:D4"});
  EXPECT_EQ(grid_.Cell(u"Sheet2!D3")->value, GridValue(u"b"));
  EXPECT_EQ(grid_.Cell(u"Sheet2!C4")->value, GridValue(true));
  ASSERT_TRUE(grid_.SetActiveBlockNumberFormatLocal(2, 2, u"@"));
  EXPECT_EQ(FormatAt(u"Sheet2!D4"), u"@");
  EXPECT_EQ(FormatAt(u"Sheet2!E3"), std::nullopt);

  EXPECT_FALSE(grid_.WriteAtActiveCell(SheetTable())) << "Resize refuses an empty block";
  ASSERT_TRUE(grid_.Select(u"Sheet2!XFD1"));
  EXPECT_FALSE(grid_.SetActiveBlockNumberFormatLocal(1, 2, u"@")) << "past the last column";
  EXPECT_TRUE(grid_.SetActiveBlockNumberFormatLocal(1, 1, u"@"));
  grid_.ClearSelection();
  EXPECT_FALSE(grid_.WriteAtActiveCell(*table));
  EXPECT_EQ(grid_.WrittenBlocks().size(), 1u);
}

TEST_F(GridObjectModelTest, InEditModeEveryCallFailsAndChangesNothing) {
  ASSERT_TRUE(grid_.Select(u"B2"));
  grid_.SetEditMode(true);
  EXPECT_FALSE(grid_.SetScreenUpdating(false));
  EXPECT_TRUE(grid_.ScreenUpdating());
  EXPECT_FALSE(grid_.WriteAtActiveCell(*SheetTable::FromRows(1, 1, {1.0})));
  EXPECT_FALSE(grid_.ActiveSheet());
  EXPECT_FALSE(grid_.SetNumberFormatLocal(u"B2", u"0"));
  EXPECT_FALSE(grid_.LastError().empty());
  EXPECT_TRUE(grid_.WrittenBlocks().empty());

  grid_.SetEditMode(false);
  EXPECT_TRUE(grid_.SetScreenUpdating(false));
  EXPECT_FALSE(grid_.ScreenUpdating());
  EXPECT_EQ(grid_.ScreenUpdatingChanges(), std::vector<bool>{false});
}

}  // namespace
}  // namespace orra
