#include "tools/xlhost/cell_address.h"

#include <gtest/gtest.h>

namespace orra::xlhost {
namespace {

TEST(CellAddressTest, ReadsA1InEitherCaseAndWritesItBack) {
  EXPECT_EQ(ParseA1("A1"), (CellAddress{0, 0}));
  EXPECT_EQ(ParseA1("b3"), (CellAddress{2, 1}));
  EXPECT_EQ(ParseA1("AA10"), (CellAddress{9, 26}));
  EXPECT_EQ(ParseA1("XFD1048576"), (CellAddress{1048575, 16383}));
  for (const char* text : {"A1", "Z9", "AA10", "AZ3", "BA7", "XFD1048576"}) {
    EXPECT_EQ(A1Text(*ParseA1(text)), text);
  }
}

TEST(CellAddressTest, RefusesWhatIsNoCellOfTheGrid) {
  for (const char* text : {"", "A", "1", "A0", "A01", "1A", "A1B", "$A$1", "XFE1", "A1048577",
                           "ABCD1", "A12345678", "B3 ", "Sheet1!A1"}) {
    EXPECT_FALSE(ParseA1(text)) << text;
  }
}

TEST(CellAddressTest, OrdersRowByRow) {
  EXPECT_LT((CellAddress{0, 5}), (CellAddress{1, 0}));
  EXPECT_LT((CellAddress{1, 0}), (CellAddress{1, 1}));
}

}  // namespace
}  // namespace orra::xlhost
