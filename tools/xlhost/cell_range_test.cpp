#include "tools/xlhost/cell_range.h"

#include <gtest/gtest.h>

namespace orra::xlhost {
namespace {

CellRange Range(int32_t row, int32_t column, int32_t last_row, int32_t last_column) {
  return CellRange{{row, column}, {last_row, last_column}};
}

TEST(CellRangeTest, ReadsEveryFormOfRangeText) {
  struct Case {
    std::u16string_view text;
    CellRange range;
    std::optional<std::u16string> book, sheet;
  };
  const Case cases[] = {
      {u"B2", Range(1, 1, 1, 1), std::nullopt, std::nullopt},
      {u"b2:C5", Range(1, 1, 4, 2), std::nullopt, std::nullopt},
      {u"C5:B2", Range(1, 1, 4, 2), std::nullopt, std::nullopt},
      {u"$B$2:C$5", Range(1, 1, 4, 2), std::nullopt, std::nullopt},
      {u"$XFD$1048576", Range(1048575, 16383, 1048575, 16383), std::nullopt, std::nullopt},
      {u"Sheet1!A1", Range(0, 0, 0, 0), std::nullopt, u"Sheet1"},
      {u"[Book1.xlsx]Sheet1!B2", Range(1, 1, 1, 1), u"Book1.xlsx", u"Sheet1"},
      {u"'[Book1.xlsx]Sheet1'!$B$2:$C$3", Range(1, 1, 2, 2), u"Book1.xlsx", u"Sheet1"},
      {u"'[My Book.xlsx]Bob''s'!A1", Range(0, 0, 0, 0), u"My Book.xlsx", u"Bob's"},
  };
  for (const Case& c : cases) {
    const auto reference = ParseRangeReference(c.text);
    ASSERT_TRUE(reference) << std::string(c.text.begin(), c.text.end());
    EXPECT_EQ(reference->range, c.range);
    EXPECT_EQ(reference->book, c.book);
    EXPECT_EQ(reference->sheet, c.sheet);
  }
}

TEST(CellRangeTest, RefusesWhatNamesNoRange) {
  for (std::u16string_view text :
       {u"", u"B", u"2", u"B0", u"B2:", u":B2", u"B$$2", u"B2$", u"$$B2", u"XFE1", u"A1048577", u"'Sheet1!A1",
        u"'[Book1]Sheet1'A1", u"[Book1Sheet1!A1", u"[]Sheet1!A1", u"[Book1]!A1", u"!A1", u"A1 ", u"A1:B2:C3"}) {
    EXPECT_FALSE(ParseRangeReference(text)) << std::string(text.begin(), text.end());
  }
}

TEST(CellRangeTest, IntersectsSpansAndResizes) {
  EXPECT_EQ(Intersection(Range(0, 0, 4, 4), Range(2, 3, 9, 9)), Range(2, 3, 4, 4));
  EXPECT_EQ(Intersection(Range(0, 0, 1, 1), Range(1, 1, 1, 1)), Range(1, 1, 1, 1)) << "a shared corner";
  EXPECT_FALSE(Intersection(Range(0, 0, 1, 1), Range(0, 2, 1, 2)));
  EXPECT_FALSE(Intersection(Range(0, 0, 1, 1), Range(2, 0, 2, 1)));
  EXPECT_EQ(Span(Range(3, 1, 3, 1), Range(0, 4, 0, 4)), Range(0, 1, 3, 4));
  EXPECT_EQ(Resized(Range(1, 1, 7, 7), 1, 5), Range(1, 1, 1, 5)) << "from the top left cell";
  EXPECT_FALSE(Resized(Range(1, 1, 1, 1), 0, 1));
  EXPECT_FALSE(Resized(Range(1, 1, 1, 1), 1, -1));
  EXPECT_EQ(Resized(Range(1048575, 0, 1048575, 0), 1, 16384), Range(1048575, 0, 1048575, 16383));
  EXPECT_FALSE(Resized(Range(1048575, 0, 1048575, 0), 2, 1)) << "past the last row";
  EXPECT_FALSE(Resized(Range(0, 1, 0, 1), 1, 16384)) << "past the last column";
}

TEST(CellRangeTest, WritesAddressesAsRangeAddressDoes) {
  const CellRange b2 = Range(1, 1, 1, 1);
  const CellRange b2c5 = Range(1, 1, 4, 2);
  AddressStyle style;
  EXPECT_EQ(RangeAddress(b2, style, u"Book1.xlsx", u"Sheet1"), u"$B$2");
  EXPECT_EQ(RangeAddress(b2c5, style, u"Book1.xlsx", u"Sheet1"), u"$B$2:$C$5");
  style.row_absolute = false;
  EXPECT_EQ(RangeAddress(b2c5, style, u"Book1.xlsx", u"Sheet1"), u"$B2:$C5");
  style.column_absolute = false;
  EXPECT_EQ(RangeAddress(b2c5, style, u"Book1.xlsx", u"Sheet1"), u"B2:C5");
  style = AddressStyle{};
  style.external = true;
  EXPECT_EQ(RangeAddress(b2, style, u"Book1.xlsx", u"Sheet1"), u"[Book1.xlsx]Sheet1!$B$2");
  EXPECT_EQ(RangeAddress(b2, style, u"My Book.xlsx", u"Bob's"), u"'[My Book.xlsx]Bob''s'!$B$2");
  style = AddressStyle{};
  style.style = ReferenceStyle::kR1C1;
  EXPECT_EQ(RangeAddress(b2c5, style, u"Book1.xlsx", u"Sheet1"), u"R2C2:R5C3");
  style.row_absolute = style.column_absolute = false;
  style.relative_to = CellAddress{1, 2};
  EXPECT_EQ(RangeAddress(b2c5, style, u"Book1.xlsx", u"Sheet1"), u"RC[-1]:R[3]C");
}

}  // namespace
}  // namespace orra::xlhost
