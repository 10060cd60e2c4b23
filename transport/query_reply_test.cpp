#include "transport/query_reply.h"

#include <gtest/gtest.h>

#include "transport/wire_bytes.h"

namespace orra {
namespace {

using R = QueryReplyLayout;

std::span<const uint8_t> Bytes(std::string_view text) {
  return {reinterpret_cast<const uint8_t*>(text.data()), text.size()};
}

TEST(QueryReply, ATableReplyCarriesItsTableAfterTheHead) {
  const std::vector<uint8_t> table = {1, 2, 3, 4, 5};
  const std::vector<uint8_t> reply = MakeTableReply(table);
  ASSERT_EQ(reply.size(), R::kContentOffset + table.size());
  EXPECT_EQ(GetU32(reply.data() + R::kErrorFlagOffset), 0u);
  EXPECT_EQ(GetI32(reply.data() + R::kTableLengthOffset), 5);
  const auto view = ReadQueryReply(reply);
  ASSERT_TRUE(view);
  EXPECT_FALSE(view->failed);
  EXPECT_EQ(std::vector<uint8_t>(view->table.begin(), view->table.end()), table);
  EXPECT_TRUE(view->error_text.empty());

  const auto empty = ReadQueryReply(MakeTableReply({}));
  ASSERT_TRUE(empty);
  EXPECT_FALSE(empty->failed);
  EXPECT_TRUE(empty->table.empty());
}

TEST(QueryReply, AnErrorReplyCarriesItsTextWithAZero) {
  const std::vector<uint8_t> reply = MakeErrorReply("\xCE\xDE\xCA\xFD\xBE\xDD");  // 无数据
  ASSERT_EQ(reply.size(), R::kContentOffset + 7);
  EXPECT_EQ(reply.back(), 0);
  const auto view = ReadQueryReply(reply);
  ASSERT_TRUE(view);
  EXPECT_TRUE(view->failed);
  EXPECT_EQ(view->error_text, "\xCE\xDE\xCA\xFD\xBE\xDD");
  EXPECT_TRUE(view->table.empty());
}

TEST(QueryReply, AnErrorTextEndsAtItsZeroOrAtTheEndOfTheBytes) {
  std::vector<uint8_t> reply = MakeErrorReply("abc");
  reply.pop_back();  // the zero
  auto view = ReadQueryReply(reply);
  ASSERT_TRUE(view);
  EXPECT_EQ(view->error_text, "abc");
  reply = MakeErrorReply(std::string_view("ab\0cd", 5));
  view = ReadQueryReply(reply);
  ASSERT_TRUE(view);
  EXPECT_EQ(view->error_text, "ab");
  const std::vector<uint8_t> no_text = MakeErrorReply(std::string_view());
  view = ReadQueryReply(std::span(no_text).first(R::kContentOffset));
  ASSERT_TRUE(view);
  EXPECT_TRUE(view->failed);
  EXPECT_EQ(view->error_text, "");
}

TEST(QueryReply, AHeadCutShortOrATableLengthOutsideTheBytesIsRefused) {
  const std::vector<uint8_t> whole = MakeTableReply(Bytes("table"));
  for (size_t n = 0; n < R::kContentOffset; ++n) {
    EXPECT_FALSE(ReadQueryReply({whole.data(), n})) << n;
  }
  for (size_t n = R::kContentOffset; n < whole.size(); ++n) {
    EXPECT_FALSE(ReadQueryReply({whole.data(), n})) << "a table of 5 in " << n << " bytes";
  }
  std::vector<uint8_t> lying = whole;
  PutU32(lying.data() + R::kTableLengthOffset, 0xFFFFFFFFu);  // -1
  EXPECT_FALSE(ReadQueryReply(lying));
  PutU32(lying.data() + R::kTableLengthOffset, 0x7FFFFFFFu);
  EXPECT_FALSE(ReadQueryReply(lying));
  PutU32(lying.data() + R::kTableLengthOffset, 3);  // a shorter table than the bytes is taken
  const auto view = ReadQueryReply(lying);
  ASSERT_TRUE(view);
  EXPECT_EQ(view->table.size(), 3u);
}

}  // namespace
}  // namespace orra
