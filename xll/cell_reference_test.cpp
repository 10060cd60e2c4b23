#include "xll/cell_reference.h"

#include <gtest/gtest.h>

namespace orra {
namespace {

std::u16string Cell(int32_t row, int32_t column) {
  return CellReferenceA1(XLREF12{row, row, column, column});
}

TEST(CellReferenceA1, ColumnLettersAreBijectiveBase26) {
  EXPECT_EQ(Cell(0, 0), u"A1");
  EXPECT_EQ(Cell(0, 25), u"Z1");
  EXPECT_EQ(Cell(0, 26), u"AA1");
  EXPECT_EQ(Cell(9, 27), u"AB10");
  EXPECT_EQ(Cell(0, 51), u"AZ1");
  EXPECT_EQ(Cell(0, 52), u"BA1");
  EXPECT_EQ(Cell(0, 701), u"ZZ1");
  EXPECT_EQ(Cell(0, 702), u"AAA1");
  EXPECT_EQ(Cell(0, 1351), u"AYZ1");
  EXPECT_EQ(Cell(0, 1352), u"AZA1");
  EXPECT_EQ(Cell(0, 1377), u"AZZ1");
  EXPECT_EQ(Cell(0, 16383), u"XFD1");
}

TEST(CellReferenceA1, RowsCountFromOneWithoutLeadingZeros) {
  EXPECT_EQ(Cell(99, 1), u"B100");
  EXPECT_EQ(Cell(1048575, 16383), u"XFD1048576");
}

TEST(CellReferenceA1, ARangeWhenEitherDirectionSpansMoreThanOne) {
  EXPECT_EQ(CellReferenceA1(XLREF12{2, 6, 1, 3}), u"B3:D7");
  EXPECT_EQ(CellReferenceA1(XLREF12{2, 6, 1, 1}), u"B3:B7");
  EXPECT_EQ(CellReferenceA1(XLREF12{2, 2, 1, 3}), u"B3:D3");
  EXPECT_EQ(CellReferenceA1(XLREF12{0, 1048575, 0, 16383}), u"A1:XFD1048576");
}

TEST(CellReferenceA1, PlacesBeyondTheGridStayAtItsEdge) {
  EXPECT_EQ(Cell(-1, -5), u"A1");
  EXPECT_EQ(Cell(1048576, 16384), u"XFD1048576");
  EXPECT_EQ(CellReferenceA1(XLREF12{INT32_MIN, INT32_MAX, INT32_MIN, INT32_MAX}),
            u"A1:XFD1048576");
}

}  // namespace
}  // namespace orra
