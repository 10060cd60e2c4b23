#include "common/codepage936_table.h"

#include <gtest/gtest.h>

#include <string>

#include "common/codepage936.h"

namespace orra {
namespace {

std::u16string TableWide(const std::string& gbk) {
  std::u16string out(gbk.size() + 1, u'\0');
  out.resize(GbkToUtf16ByTable(gbk.data(), gbk.size(), out.data(), out.size()));
  return out;
}

std::u16string PlatformWide(const std::string& gbk) {
  std::u16string out(gbk.size() + 1, u'\0');
  out.resize(platform::GbkToUtf16(gbk.data(), gbk.size(), out.data(), out.size()));
  return out;
}

std::string TableNarrow(const std::u16string& text) {
  std::string out(2 * text.size() + 1, '\0');
  out.resize(Utf16ToGbkByTable(text.data(), text.size(), out.data(), out.size()));
  return out;
}

std::string PlatformNarrow(const std::u16string& text) {
  std::string out(2 * text.size() + 1, '\0');
  out.resize(platform::Utf16ToGbk(text.data(), text.size(), out.data(), out.size()));
  return out;
}

TEST(Codepage936Table, EveryByteAndPairDecodesAsThePlatformDecodesIt) {
  for (unsigned first = 0; first < 256; ++first) {
    const std::string alone{static_cast<char>(first)};
    ASSERT_EQ(TableWide("a" + alone), PlatformWide("a" + alone)) << first;
    ASSERT_EQ(TableWide(alone + std::string(1, '\0') + "b"), PlatformWide(alone + std::string(1, '\0') + "b"))
        << first;
    for (unsigned second = 1; second < 256; ++second) {
      const std::string text = alone + static_cast<char>(second) + "z";
      ASSERT_EQ(TableWide(text), PlatformWide(text)) << first << " " << second;
    }
  }
}

TEST(Codepage936Table, EveryUnitEncodesAsThePlatformEncodesIt) {
  for (unsigned u = 0; u < 65536; ++u) {
    const std::u16string text = {u'x', static_cast<char16_t>(u), u'y'};
    ASSERT_EQ(TableNarrow(text), PlatformNarrow(text)) << u;
  }
  // Surrogates, paired and alone, go to the platform converter whole.
  const std::u16string surrogates = u"a\xD83D\xDE00" u"b\xDC00\xD800";
  EXPECT_EQ(TableNarrow(surrogates), PlatformNarrow(surrogates));
}

TEST(Codepage936Table, RoomZeroCountsAndTooLittleRoomWritesNothing) {
  const std::string gbk = "\xD5\xC5" "A\xC8\xFD";  // 张A三
  EXPECT_EQ(GbkToUtf16ByTable(gbk.data(), gbk.size(), nullptr, 0), 3u);
  char16_t wide[2] = {};
  EXPECT_EQ(GbkToUtf16ByTable(gbk.data(), gbk.size(), wide, 2), 0u);
  char16_t fits[3] = {};
  ASSERT_EQ(GbkToUtf16ByTable(gbk.data(), gbk.size(), fits, 3), 3u);
  EXPECT_EQ(std::u16string(fits, 3), u"张A三");

  const std::u16string text = u"张A三";
  EXPECT_EQ(Utf16ToGbkByTable(text.data(), text.size(), nullptr, 0), 5u);
  char narrow[4] = {};
  EXPECT_EQ(Utf16ToGbkByTable(text.data(), text.size(), narrow, 4), 0u) << "the last character does not fit";
  EXPECT_EQ(GbkToUtf16ByTable(gbk.data(), 0, wide, 2), 0u);
}

}  // namespace
}  // namespace orra
