#include "common/utf8.h"

#include <gtest/gtest.h>

namespace orra {
namespace {

TEST(Utf8, RoundTripsChineseAndAstralText) {
  const std::u16string text = u"截面函数 600000.sh \U0001F600";
  EXPECT_EQ(FromUtf8(ToUtf8(text)), text);
  EXPECT_EQ(ToUtf8(u"市场"), "\xE5\xB8\x82\xE5\x9C\xBA");
}

TEST(Utf8, IllFormedInputBecomesReplacementCharacters) {
  EXPECT_EQ(FromUtf8("a\xFF" "b"), u"a\uFFFDb");
  EXPECT_EQ(FromUtf8("\xE5\xB8"), u"\uFFFD");         // cut sequence
  EXPECT_EQ(FromUtf8("\xC0\x80"), u"\uFFFD\uFFFD");   // overlong: bad lead, stray continuation
  EXPECT_EQ(FromUtf8("\xED\xA0\x80"), u"\uFFFD");     // encoded surrogate
  const char16_t lone[] = {u'x', 0xD800, 0};
  EXPECT_EQ(ToUtf8(lone), "x\xEF\xBF\xBD");
}

}  // namespace
}  // namespace orra
