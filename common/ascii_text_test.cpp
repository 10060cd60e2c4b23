#include "common/ascii_text.h"

#include <gtest/gtest.h>

namespace orra {
namespace {

TEST(WidenAscii, KeepsEveryByteAsOneUnitOfTheSameValue) {
  EXPECT_EQ(WidenAscii(""), u"");
  EXPECT_EQ(WidenAscii("127.0.0.1:9911"), u"127.0.0.1:9911");
  EXPECT_EQ(WidenAscii(std::string_view("a\0b", 3)), std::u16string(u"a\0b", 3));
  EXPECT_EQ(WidenAscii("\x7F\x80\xFF"), u"\u007F\u0080\u00FF") << "bytes above 0x7F are not sign-extended";
}

TEST(EqualsIgnoringAsciiCase, FoldsOnlyTheAsciiLetters) {
  EXPECT_TRUE(EqualsIgnoringAsciiCase(u"StartDate", u"STARTDATE"));
  EXPECT_TRUE(EqualsIgnoringAsciiCase(u"hkcr", u"HKCR"));
  EXPECT_FALSE(EqualsIgnoringAsciiCase(u"STARTDAT", u"STARTDATE")) << "a shortened word is another word";
  EXPECT_FALSE(EqualsIgnoringAsciiCase(u"STARTDATE ", u"STARTDATE"));
  // Units next to the letters, and letters outside ASCII, stand for themselves.
  EXPECT_FALSE(EqualsIgnoringAsciiCase(u"@[`{", u"`{@["));
  EXPECT_FALSE(EqualsIgnoringAsciiCase(u"\u00E9", u"\u00C9"));
  EXPECT_FALSE(EqualsIgnoringAsciiCase(u"\uFF41", u"A")) << "a full-width letter is not an ASCII one";
  EXPECT_TRUE(EqualsIgnoringAsciiCase(u"\u661F\u6865", u"\u661F\u6865"));
}

}  // namespace
}  // namespace orra
