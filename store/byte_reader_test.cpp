#include "store/byte_reader.h"

#include <gtest/gtest.h>

#include <vector>

namespace orra {
namespace {

TEST(ByteReaderTest, PackedNumbersCarrySevenBitsPerByteLowGroupFirst) {
  const std::vector<uint8_t> bytes = {0x06, 0x03, 0x04, 0x00};
  ByteReader reader(bytes);
  uint64_t value = 0;
  ASSERT_TRUE(reader.ReadPackedNumber(value));
  EXPECT_EQ(value, 3u);
  ASSERT_TRUE(reader.ReadPackedNumber(value));
  EXPECT_EQ(value, 1u + 2u * 128u);
  ASSERT_TRUE(reader.ReadPackedNumber(value));
  EXPECT_EQ(value, 0u);
  EXPECT_TRUE(reader.empty());
}

TEST(ByteReaderTest, FailedReadsLeaveTheCursorWhereItWas) {
  const std::vector<uint8_t> unfinished_number = {0x01, 0x01};
  ByteReader numbers(unfinished_number);
  uint64_t value = 0;
  EXPECT_FALSE(numbers.ReadPackedNumber(value));
  EXPECT_EQ(numbers.position(), 0u);

  const std::vector<uint8_t> eleven_continued(11, 0x01);
  ByteReader too_long(eleven_continued);
  EXPECT_FALSE(too_long.ReadPackedNumber(value));

  const std::vector<uint8_t> lying_text = {5, 'a', 'b'};
  ByteReader texts(lying_text);
  std::string_view text;
  EXPECT_FALSE(texts.ReadShortText(text));
  EXPECT_EQ(texts.position(), 0u);
  int32_t number = 0;
  EXPECT_FALSE(texts.ReadI32(number));
}

TEST(ByteReaderTest, ShortTextAndLittleEndianIntegers) {
  const std::vector<uint8_t> bytes = {2, 'o', 'k', 0, 0xFE, 0xFF, 0xFF, 0xFF};
  ByteReader reader(bytes);
  std::string_view text;
  ASSERT_TRUE(reader.ReadShortText(text));
  EXPECT_EQ(text, "ok");
  ASSERT_TRUE(reader.ReadShortText(text));
  EXPECT_EQ(text, "");
  int32_t number = 0;
  ASSERT_TRUE(reader.ReadI32(number));
  EXPECT_EQ(number, -2);
}

}  // namespace
}  // namespace orra
