#include "common/decimal_text.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <limits>
#include <optional>
#include <string>

namespace orra {
namespace {

constexpr int32_t kMax32 = std::numeric_limits<int32_t>::max();
constexpr int32_t kMin32 = std::numeric_limits<int32_t>::min();
constexpr int64_t kMax64 = std::numeric_limits<int64_t>::max();
constexpr int64_t kMin64 = std::numeric_limits<int64_t>::min();

std::u16string Wide(std::string_view ascii) { return std::u16string(ascii.begin(), ascii.end()); }

// Both widths read every text alike.
int32_t Leading(std::string_view text) {
  const int32_t narrow = ReadLeadingDecimal(text);
  EXPECT_EQ(narrow, ReadLeadingDecimal(Wide(text))) << text;
  return narrow;
}

TEST(ReadLeadingDecimal, ReadsAsStrtolDoes) {
  EXPECT_EQ(Leading("0"), 0);
  EXPECT_EQ(Leading("42"), 42);
  EXPECT_EQ(Leading("007"), 7);
  EXPECT_EQ(Leading(" \t\n\v\f\r12"), 12);
  EXPECT_EQ(Leading("+12"), 12);
  EXPECT_EQ(Leading("-12"), -12);
  EXPECT_EQ(Leading("  -0"), 0);
  EXPECT_EQ(Leading("12abc"), 12);
  EXPECT_EQ(Leading("12 34"), 12);
  EXPECT_EQ(Leading("3.9"), 3);
}

TEST(ReadLeadingDecimal, NoDigitsGivesZero) {
  for (const char* text : {"", " ", "+", "-", "+-1", "--1", "- 1", "abc", "x12", "\x01" "5", "\xB2\xE2"}) {
    EXPECT_EQ(Leading(text), 0) << text;
  }
}

TEST(ReadLeadingDecimal, ClampsToThe32BitRange) {
  EXPECT_EQ(Leading("2147483647"), kMax32);
  EXPECT_EQ(Leading("2147483648"), kMax32);
  EXPECT_EQ(Leading("-2147483648"), kMin32);
  EXPECT_EQ(Leading("-2147483649"), kMin32);
  EXPECT_EQ(Leading("99999999999999999999999999999999"), kMax32);
  EXPECT_EQ(Leading("-99999999999999999999999999999999"), kMin32);
  EXPECT_EQ(Leading("00000000000000000000000000000001"), 1);
}

TEST(ReadLeadingDecimal, WideTextReadsOnlyAsciiDigitsAndBlanks) {
  EXPECT_EQ(ReadLeadingDecimal(u"\uFF11\uFF12"), 0) << "fullwidth digits are not digits";
  EXPECT_EQ(ReadLeadingDecimal(u"\u3000" u"5"), 0) << "the ideographic space is not a blank";
  EXPECT_EQ(ReadLeadingDecimal(u"7\u0660"), 7);
  EXPECT_EQ(ReadLeadingDecimal(std::u16string(1, char16_t(0x0130))), 0) << "only the low byte looks like '0'";
}

TEST(ReadLeadingDecimal, StopsAtTheEndOfTheViewAtEveryLength) {
  const std::string text = " -2147483649x";
  for (size_t n = 0; n <= text.size(); ++n) {
    const std::string cut = text.substr(0, n);
    const int64_t expected = std::clamp<int64_t>(std::strtoll(cut.c_str(), nullptr, 10), kMin32, kMax32);
    // The view ends before the characters that follow it in memory.
    EXPECT_EQ(ReadLeadingDecimal(std::string_view(text).substr(0, n)), expected) << n;
    EXPECT_EQ(ReadLeadingDecimal(std::u16string_view(Wide(text)).substr(0, n)), expected) << n;
  }
}

TEST(ReadWholeDecimal, AcceptsOnlyDigitsFillingTheText) {
  const DecimalRange any{kMin64, kMax64};
  EXPECT_EQ(ReadWholeDecimal("0", any), 0);
  EXPECT_EQ(ReadWholeDecimal("1234", any), 1234);
  EXPECT_EQ(ReadWholeDecimal("-1234", any), -1234);
  EXPECT_EQ(ReadWholeDecimal("0000080", any), 80);
  for (const char* bad : {"", "-", "+1", " 1", "1 ", "1x", "x1", "1.0", "--1", "-+1", "1-", "\xB2\xE2"}) {
    EXPECT_FALSE(ReadWholeDecimal(bad, any)) << bad;
  }
}

TEST(ReadWholeDecimal, ReadsASignOnlyForANegativeRange) {
  EXPECT_FALSE(ReadWholeDecimal("-0", {0, 9}));
  EXPECT_FALSE(ReadWholeDecimal("-1", {0, 9}));
  EXPECT_EQ(ReadWholeDecimal("-0", {-1, 9}), 0);
  EXPECT_EQ(ReadWholeDecimal("-1", {-1, 9}), -1);
  EXPECT_FALSE(ReadWholeDecimal("-2", {-1, 9}));
}

TEST(ReadWholeDecimal, KeepsToTheRangeAtBothEnds) {
  EXPECT_FALSE(ReadWholeDecimal("0", {1, 65535}));
  EXPECT_EQ(ReadWholeDecimal("1", {1, 65535}), 1);
  EXPECT_EQ(ReadWholeDecimal("65535", {1, 65535}), 65535);
  EXPECT_FALSE(ReadWholeDecimal("65536", {1, 65535}));
  EXPECT_FALSE(ReadWholeDecimal("5", {6, 10}));
  EXPECT_FALSE(ReadWholeDecimal("0", {-5, -1}));
}

TEST(ReadWholeDecimal, NeverOverflowsAt64Bits) {
  const DecimalRange any{kMin64, kMax64};
  EXPECT_EQ(ReadWholeDecimal("9223372036854775807", any), kMax64);
  EXPECT_FALSE(ReadWholeDecimal("9223372036854775808", any));
  EXPECT_EQ(ReadWholeDecimal("-9223372036854775808", any), kMin64);
  EXPECT_FALSE(ReadWholeDecimal("-9223372036854775809", any));
  EXPECT_FALSE(ReadWholeDecimal("18446744073709551616", any)) << "wraps to 0 in 64 unsigned bits";
  EXPECT_FALSE(ReadWholeDecimal(std::string(100, '9'), any));
  EXPECT_EQ(ReadWholeDecimal(std::string(100, '0') + "1", any), 1);
}

TEST(ReadWholeDecimal, StopsAtTheEndOfTheViewAtEveryLength) {
  const std::string text = "-65535:";
  const DecimalRange range{-65535, 65535};
  for (size_t n = 0; n < text.size(); ++n) {
    const std::optional<int64_t> value = ReadWholeDecimal(std::string_view(text).substr(0, n), range);
    if (n < 2) {
      EXPECT_FALSE(value) << n;
    } else {
      EXPECT_EQ(value, std::stoll(text.substr(0, n))) << n;
    }
  }
  EXPECT_FALSE(ReadWholeDecimal(text, range));
}

}  // namespace
}  // namespace orra
