#include "store/gbk_text.h"

#include <gtest/gtest.h>

#include <string>

#include "common/text_conversion.h"

namespace orra {
namespace {

// 中 in GBK, and bytes that are no character alone: a lead byte with nothing after it, 0x80, 0xFF.
const std::string kZhong = "\xD6\xD0";

TEST(GbkTextTest, WideOfGbkConvertsShortAndLongTextsAlikeAndCutsAfterConverting) {
  // Short texts convert on the stack, long ones in the string: both must give what the
  // converter gives, at every length around the switch and with a character across it.
  for (size_t ascii = 58; ascii <= 70; ++ascii) {
    for (const std::string& end : {std::string(), kZhong, kZhong + "a", std::string("\x81"), std::string("\x80\xFF"),
                                   std::string("\xD6\x00\xD0", 3)}) {
      const std::string text = std::string(ascii, 'a') + end;
      SCOPED_TRACE(text.size());
      const std::u16string whole = ToWideString(text);
      EXPECT_EQ(WideOfGbk(text, 255), whole);
      EXPECT_EQ(WideOfGbk(text, ascii + 1), whole.substr(0, ascii + 1));
      EXPECT_EQ(WideOfGbk(text, 0), u"");
      std::u16string appended = u"x";
      EXPECT_EQ(AppendWideOfGbk(appended, text, ascii + 1), std::min(whole.size(), ascii + 1));
      EXPECT_EQ(appended, u"x" + whole.substr(0, ascii + 1));
    }
  }
  EXPECT_EQ(WideOfGbk("", 10), u"");
  EXPECT_EQ(WideOfGbk(kZhong + "b", 10), u"中b");
}

TEST(GbkTextTest, CutsKeepWholeCharactersAndCompareBytesUnsigned) {
  EXPECT_EQ(CutGbk("ab" + kZhong, 3), "ab");
  EXPECT_EQ(CutGbk("ab" + kZhong, 4), "ab" + kZhong);
  EXPECT_EQ(CutGbk("abcdef", 3), "abc");
  EXPECT_LT(CompareBytes("a", kZhong), 0);  // 0xD6 sorts after 'a' as an unsigned byte
  EXPECT_LT(CompareBytes("ab", "abc"), 0);
  EXPECT_EQ(CompareBytes("", ""), 0);
  EXPECT_TRUE(EqualsFoldingAsciiCase("ABC", "abc"));
  EXPECT_FALSE(EqualsFoldingAsciiCase("ABC", "abd"));
}

}  // namespace
}  // namespace orra
