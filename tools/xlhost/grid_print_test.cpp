#include "tools/xlhost/grid_print.h"

#include <gtest/gtest.h>

#include "xll/xl_constants.h"

namespace orra::xlhost {
namespace {

class GridPrintTest : public ::testing::Test {
 protected:
  void Put(CellAddress cell, GridValue value, std::u16string format = u"General", int32_t alignment = kAlignGeneral) {
    sheet_.SetConstant(cell, std::move(value));
    ASSERT_TRUE(workbook_.SetNumberFormat(CellRange::Of(cell), format));
    ASSERT_TRUE(workbook_.SetHorizontalAlignment(CellRange::Of(cell), alignment));
  }

  Sheet sheet_{u"Book1.xlsx", u"Sheet1", 1};
  Workbook workbook_{sheet_, [](CellAddress) {}};
};

TEST_F(GridPrintTest, CellsShowThroughTheirFormatsAndAlignments) {
  Put({0, 0}, u"代码");
  Put({0, 1}, 35835.0, u"yyyy年MM月dd日", kAlignCenter);
  Put({0, 2}, true);
  Put({1, 0}, u"600000.SH");
  Put({1, 1}, 1234567890.5, u"#,##0.00");
  Put({1, 2}, u"ok", u"@", kAlignRight);
  Put({2, 0}, 7.0, u"0", kAlignLeft);
  Put({2, 1}, 0.5);
  Put({2, 2}, false);
  Put({3, 2}, ErrorValue{xlerrNA});
  // Widths: A is 9 ("600000.SH"), B 16 ("1,234,567,890.50"; the date is 14, its Chinese
  // characters two columns each), C 5 ("FALSE").
  EXPECT_EQ(PrintGrid(workbook_),
            "     | A         | B                | C    \n"
            "   1 | 代码      |  1998年02月09日  | TRUE \n"
            "   2 | 600000.SH | 1,234,567,890.50 |    ok\n"
            "   3 | 7         |              0.5 | FALSE\n"
            "   4 |           |                  | #N/A \n");
}

TEST_F(GridPrintTest, AFormatOrAlignmentOnAnEmptyCellShowsNothing) {
  Put({0, 0}, 1.0, u"#,##0.00");
  ASSERT_TRUE(workbook_.SetNumberFormat(CellRange::Of({0, 1}), u"yyyy-MM-dd"));
  ASSERT_TRUE(workbook_.SetHorizontalAlignment(CellRange::Of({0, 1}), kAlignRight));
  EXPECT_EQ(PrintGrid(workbook_),
            "     | A   \n"
            "   1 | 1.00\n");
}

TEST_F(GridPrintTest, AnEmptySheetPrintsAnEmptyHeader) { EXPECT_EQ(PrintGrid(workbook_), "    \n"); }

}  // namespace
}  // namespace orra::xlhost
