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

}  // namespace
}  // namespace orra
