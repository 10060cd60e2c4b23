#include "store/key_index.h"

#include <gtest/gtest.h>

#include "common/compression.h"
#include "store/byte_reader.h"
#include "testing/literal_bytes.h"
#include "testing/terminal_files.h"

namespace orra {
namespace {

std::vector<uint8_t> KeyIndexOfBody(const std::vector<uint8_t>& body) {
  std::vector<uint8_t> packed(CompressBound(body.size()));
  size_t length = packed.size();
  EXPECT_TRUE(CompressBuffer(packed.data(), length, body.data(), body.size()));
  std::vector<uint8_t> file(CKeyIndex::kHeaderSize + length, 0);
  std::copy_n(packed.begin(), length, file.begin() + CKeyIndex::kHeaderSize);
  StoreLittleEndian<int32_t>(file.data() + CKeyIndex::kInflatedSizeOffset, static_cast<int32_t>(body.size()));
  StoreLittleEndian<int32_t>(file.data() + CKeyIndex::kCompressedSizeOffset, static_cast<int32_t>(length));
  return file;
}

TEST(KeyIndexTest, DecodesTheTerminalsRecordsAndFindsByExactCode) {
  const std::vector<uint8_t> file =
      terminal::EncodeKeyIndex({{"000001.sz", testing::Gbk("平安银行"), ""}, {"600000.sh", testing::Gbk("浦发银行"), ""}});
  const std::optional<CKeyIndex> index = CKeyIndex::Decode(file);
  ASSERT_TRUE(index);
  ASSERT_EQ(index->count(), 2u);
  EXPECT_EQ(index->securities()[1].WideCode(), u"600000.sh");
  ASSERT_NE(index->FindSecurity("000001.sz"), nullptr);
  EXPECT_EQ(index->FindSecurity("000001.sz")->name, u"平安银行");
  EXPECT_EQ(index->FindSecurity("000001"), nullptr);
  EXPECT_EQ(index->FindSecurity("600000.sh2"), nullptr);
}

TEST(KeyIndexTest, ARemainderShorterThanARecordIsIgnored) {
  std::vector<uint8_t> body(143, 0);
  body[0] = 'a';
  body[71] = 'b';
  const std::optional<CKeyIndex> index = CKeyIndex::Decode(KeyIndexOfBody(body));
  ASSERT_TRUE(index);
  EXPECT_EQ(index->count(), 2u);
}

TEST(KeyIndexTest, TheStatedSizeBoundsTheBodyFromAboveOnly) {
  const std::vector<uint8_t> body(71 * 3000, 'x');  // compresses far below the size
  std::vector<uint8_t> file = KeyIndexOfBody(body);
  const std::optional<CKeyIndex> exact = CKeyIndex::Decode(file);
  ASSERT_TRUE(exact);
  EXPECT_EQ(exact->count(), 3000u);
  StoreLittleEndian<int32_t>(file.data() + CKeyIndex::kInflatedSizeOffset, 71 * 3000 - 1);  // more bytes than stated
  EXPECT_FALSE(CKeyIndex::Decode(file));
  StoreLittleEndian<int32_t>(file.data() + CKeyIndex::kInflatedSizeOffset, 71 * 3100);  // fewer: what is there counts
  ASSERT_TRUE(CKeyIndex::Decode(file));
  EXPECT_EQ(CKeyIndex::Decode(file)->count(), 3000u);
}

TEST(KeyIndexTest, FieldsWithoutTerminatorStayInsideTheirWidths) {
  std::vector<uint8_t> body(71, 'c');
  const std::optional<CKeyIndex> index = CKeyIndex::Decode(KeyIndexOfBody(body));
  ASSERT_TRUE(index);
  EXPECT_EQ(index->securities()[0].code, std::string(15, 'c'));
  EXPECT_EQ(index->securities()[0].name, std::u16string(31, u'c'));
}

TEST(KeyIndexTest, ShortBrokenAndLyingFilesFail) {
  std::vector<uint8_t> file = terminal::EncodeKeyIndex({{"600000.sh", "x", ""}});
  EXPECT_FALSE(CKeyIndex::Decode({file.data(), 137}));
  std::vector<uint8_t> broken = file;
  broken[CKeyIndex::kHeaderSize + 3] ^= 0xFF;
  EXPECT_FALSE(CKeyIndex::Decode(broken));
  std::vector<uint8_t> huge = file;
  StoreLittleEndian<int32_t>(huge.data() + CKeyIndex::kInflatedSizeOffset, 0x7FFFFFFF);  // cannot come from so few bytes
  EXPECT_FALSE(CKeyIndex::Decode(huge));
  std::vector<uint8_t> negative = file;
  StoreLittleEndian<int32_t>(negative.data() + CKeyIndex::kCompressedSizeOffset, -1);
  EXPECT_FALSE(CKeyIndex::Decode(negative));
  std::vector<uint8_t> truncated(file.begin(), file.end() - 4);
  EXPECT_FALSE(CKeyIndex::Decode(truncated));

  std::vector<uint8_t> empty = file;
  StoreLittleEndian<int32_t>(empty.data() + CKeyIndex::kInflatedSizeOffset, 0);
  const std::optional<CKeyIndex> none = CKeyIndex::Decode(empty);
  ASSERT_TRUE(none);
  EXPECT_EQ(none->count(), 0u);
}

}  // namespace
}  // namespace orra
