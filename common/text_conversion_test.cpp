#include "common/text_conversion.h"

#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "common/utf8.h"

namespace orra {
namespace {

#include "common/testdata/gbk_corpus.inc"

std::string Hex(std::string_view bytes) {
  static const char digits[] = "0123456789ABCDEF";
  std::string out;
  for (unsigned char b : bytes) {
    out += digits[b >> 4];
    out += digits[b & 15];
    out += ' ';
  }
  return out;
}

TEST(TextConversion, CorpusConvertsBothWaysToTheSameBytesAndText) {
  for (const CorpusEntry& entry : kGbkCorpus) {
    const std::u16string text = FromUtf8(entry.utf8);
    SCOPED_TRACE(entry.utf8);
    EXPECT_EQ(Hex(ToNarrow(text.c_str())), Hex(entry.gbk));
    EXPECT_EQ(std::u16string(ToWide(entry.gbk)), text);
    EXPECT_EQ(Hex(ToNarrowString(text)), Hex(entry.gbk));
    EXPECT_EQ(ToWideString(entry.gbk), text);
  }
}

// What each platform's converter makes of input with no valid form. Both builds give these
// results; the Linux adapter mends iconv's refusals to match Windows (see codepage936_posix.cpp).
TEST(TextConversion, InvalidGbkIsTreatedAsWindowsDoes) {
  EXPECT_EQ(ToWideString("\x81\x20"), u"?") << "invalid pair: one '?' for both bytes";
  EXPECT_EQ(ToWideString("\x81\x7F" "A"), u"?A");
  EXPECT_EQ(ToWideString("A\x81"), u"A?") << "lead byte at the end";
  EXPECT_EQ(ToWideString(std::string_view("\x81\x00Z", 3)), std::u16string(u"?\0Z", 3))
      << "a lead byte never swallows a terminator";
  EXPECT_EQ(ToWideString("\x80"), u"\u20AC");
  EXPECT_EQ(ToWideString("\xFF"), u"\uF8F5");
  EXPECT_EQ(std::u16string(ToWide("x\x81")), u"x?");
}

TEST(TextConversion, UserDefinedGbkAreaDiffersBetweenPlatforms) {
  // Windows maps the user-defined rows to the Private Use Area; glibc's CP936 has no such
  // table, so Linux gives '?'. Texts from the terminal and the server do not use these rows.
#ifdef _WIN32
  EXPECT_EQ(ToWideString("\xA2\xA0"), u"\uE585");
#else
  EXPECT_EQ(ToWideString("\xA2\xA0"), u"?");
#endif
}

TEST(TextConversion, UnitsWithoutGbkFormBecomeQuestionMarks) {
  const char16_t lone_high[] = {0xD800, u'A', 0};
  EXPECT_EQ(std::string(ToNarrow(lone_high)), "?A");
  const char16_t lone_low[] = {0xDC00, 0};
  EXPECT_EQ(std::string(ToNarrow(lone_low)), "?");
  EXPECT_EQ(std::string(ToNarrow(u"\U0001F600")), "??") << "one '?' per surrogate";
  EXPECT_EQ(std::string(ToNarrow(u"\uFFFD")), "?");
  EXPECT_EQ(std::string(ToNarrow(u"\u00E9")), "\xA8\xA6");
}

TEST(TextConversion, ScratchGrowsInSteps) {
  std::thread fresh([] {
    EXPECT_EQ(WideScratchCapacity(), 0u);
    EXPECT_STREQ(reinterpret_cast<const char*>(ToWide("")), "");
    EXPECT_EQ(WideScratchCapacity(), 1024u);  // ((0 + 2047) / 1024) * 1024 units
    const std::string long_text(3000, 'a');
    const char16_t* wide = ToWide(long_text.c_str());
    EXPECT_EQ(WideScratchCapacity(), 4096u);
    EXPECT_EQ(std::u16string(wide).size(), 3000u);
    ToWide("short");
    EXPECT_EQ(WideScratchCapacity(), 4096u) << "buffers only grow";

    EXPECT_EQ(NarrowScratchCapacity(), 0u);
    ToNarrow(u"abc");
    EXPECT_EQ(NarrowScratchCapacity(), 2048u);  // ((2*3 + 2047) / 1024) * 1024 bytes
    const std::u16string wide_text(1100, u'中');
    EXPECT_EQ(std::strlen(ToNarrow(wide_text.c_str())), 2200u);
    EXPECT_EQ(NarrowScratchCapacity(), 4096u);  // ((2200 + 2047) / 1024) * 1024
  });
  fresh.join();
}

TEST(TextConversion, NextCallOnTheSameThreadOverwritesTheScratch) {
  const char16_t* first = ToWide("first");
  const char16_t* second = ToWide("other");
  EXPECT_EQ(first, second);
  EXPECT_EQ(std::u16string(first), u"other");
  EXPECT_EQ(std::u16string(ToWide(nullptr)), u"");
  EXPECT_STREQ(ToNarrow(nullptr), "");
}

TEST(TextConversion, IntoCallerBufferCutsAndTerminates) {
  char narrow[12];
  std::memset(narrow, 'x', sizeof narrow);
  EXPECT_EQ(ToNarrowInto(narrow, sizeof narrow, u"abc"), 3u);
  EXPECT_STREQ(narrow, "abc");

  char small[8];
  std::memset(small, 'x', sizeof small);
  EXPECT_EQ(ToNarrowInto(small, sizeof small, u"abcdefghij"), 7u);
  EXPECT_EQ(small[7], 0);
  EXPECT_EQ(std::string(small), "abcdefg");

  // "abc" + three Chinese characters needs 9 bytes; in 8 bytes the cut falls between two
  // halves of a character, so only whole characters are kept.
  std::memset(small, 'x', sizeof small);
  EXPECT_EQ(ToNarrowInto(small, sizeof small, u"abc市场导"), 7u);
  EXPECT_EQ(std::string(small), "abc\xCA\xD0\xB3\xA1");
  std::memset(small, 'x', sizeof small);
  EXPECT_EQ(ToNarrowInto(small, 7, u"abc市场导"), 5u);
  EXPECT_EQ(std::string(small), "abc\xCA\xD0");
  EXPECT_EQ(small[5], 0);
  EXPECT_EQ(small[6], 0);

  char16_t wide[4];
  ToWideInto(wide, 4, "abcdef");
  EXPECT_EQ(std::u16string(wide), u"abc");
  ToWideInto(wide, 4, "\xCA\xD0\xB3\xA1");
  EXPECT_EQ(std::u16string(wide), u"市场");
  ToWideInto(wide, 3, "abc");
  EXPECT_EQ(std::u16string(wide), u"ab") << "filling the room exactly cuts the last unit";
  EXPECT_EQ(ToWideInto(wide, 0, "abc"), wide);
}

TEST(TextConversion, ThreadsMakingTheirFirstConversionAtOnceEachGetTheirOwnScratch) {
  constexpr int kThreads = 8;
  std::vector<std::thread> threads;
  // One whole element per thread: neighbouring bits of a vector<bool> would share a word.
  std::array<bool, kThreads> ok{};
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([t, &ok] {
      const std::string text = "thread " + std::to_string(t) + " \xCA\xD0\xB3\xA1";
      bool all = true;
      for (int i = 0; i < 200; ++i) {
        const std::u16string back = ToWide(text.c_str());
        all = all && std::string(ToNarrow(back.c_str())) == text;
      }
      ok[t] = all;
    });
  }
  for (auto& thread : threads) thread.join();
  for (int t = 0; t < kThreads; ++t) EXPECT_TRUE(ok[t]) << "thread " << t;
}

TEST(TextConversion, FreeingAllScratchLeavesThreadsAbleToConvert) {
  ToWide("before");
  FreeAllThreadScratch();
  EXPECT_EQ(WideScratchCapacity(), 0u);
  EXPECT_EQ(std::u16string(ToWide("after")), u"after");
}

}  // namespace
}  // namespace orra
