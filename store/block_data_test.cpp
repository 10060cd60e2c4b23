#include "store/block_data.h"

#include <gtest/gtest.h>

#include "store/byte_reader.h"
#include "store/key_index.h"
#include "testing/literal_bytes.h"
#include "testing/terminal_files.h"

namespace orra {
namespace {

using terminal::CategoryLayout;
using terminal::MarketLayout;
using terminal::MemberLayout;

CategoryLayout Category(uint64_t scheme, const std::string& parent, const std::string& code, bool continues = false,
                      bool children = false) {
  CategoryLayout c;
  c.scheme_id = scheme;
  c.parent_key = parent;
  c.code = code;
  c.name = "n" + code;
  c.continues_group = continues;
  c.has_children = children;
  return c;
}

MarketLayout ThreeSecurities() {
  MarketLayout m;
  m.securities = {{"000001.sz", testing::Gbk("平安银行"), ""}, {"000002.sz", "", ""}, {"600000.sh", "PF", ""}};
  return m;
}

CBlockData Decode(const MarketLayout& layout, const CKeyIndex* key_index = nullptr) {
  std::optional<CBlockData> data = CBlockData::Decode(terminal::EncodeMarketData(layout), key_index);
  EXPECT_TRUE(data);
  return data ? std::move(*data) : CBlockData();
}

TEST(BlockDataTest, SchemeIdsOfZeroCarryTheLastNonZeroOneIntoTheMembers) {
  MarketLayout layout = ThreeSecurities();
  layout.categories = {Category(5, "", "a"), Category(0, "", "b", true), Category(0, "", "c", true),
                     Category(7, "", "d", true), Category(0, "", "e", true)};
  layout.members = {{"a", 0, 0}, {"b", 9, 1}, {"", 0, 2}};
  const CBlockData data = Decode(layout);
  std::vector<int32_t> schemes;
  for (const CategoryEntry& c : data.categories()) schemes.push_back(c.scheme_id);
  EXPECT_EQ(schemes, (std::vector<int32_t>{5, 5, 5, 7, 7}));
  ASSERT_EQ(data.members().size(), 3u);
  EXPECT_EQ(data.members()[0].scheme_id, 7);
  EXPECT_EQ(data.members()[2].scheme_id, 9);
  EXPECT_EQ(data.members()[2].category_code, "b");  // an empty code carries the previous one

  MarketLayout never = ThreeSecurities();
  never.categories = {Category(0, "", "a")};
  EXPECT_EQ(Decode(never).categories()[0].scheme_id, CBlockData::kNoScheme);
}

TEST(BlockDataTest, SecuritiesTakeMissingNamesFromTheKeyIndex) {
  const std::optional<CKeyIndex> key_index =
      CKeyIndex::Decode(terminal::EncodeKeyIndex({{"000002.sz", testing::Gbk("万科A"), ""}}));
  ASSERT_TRUE(key_index);
  MarketLayout layout = ThreeSecurities();
  layout.securities.push_back({"600036.sh", "", ""});
  const CBlockData data = Decode(layout, &*key_index);
  ASSERT_EQ(data.securities().size(), 4u);
  EXPECT_EQ(data.securities()[0].name, u"平安银行");
  EXPECT_EQ(data.securities()[1].name, u"万科A");
  EXPECT_EQ(data.securities()[3].name, u"");
  EXPECT_EQ(Decode(layout).securities()[1].name, u"");
  ASSERT_NE(data.FindSecurity("600000.sh"), nullptr);
  EXPECT_EQ(data.FindSecurity("600000.sh")->name, u"PF");
}

TEST(BlockDataTest, CategoryGroupIsTheSameWhereverTheSearchLands) {
  MarketLayout layout = ThreeSecurities();
  layout.categories = {Category(1, "", "r1", false, true), Category(0, "", "r2", true),
                     Category(0, "r1", "k1", false), Category(0, "", "k2", true), Category(0, "", "k3", true),
                     Category(0, "r2", "m1", false)};
  const CBlockData data = Decode(layout);
  ASSERT_EQ(data.categories()[4].parent_key, "r1");  // carried parent keys
  EXPECT_EQ(data.CategoryGroup(""), (IndexRange{0, 1}));
  EXPECT_EQ(data.CategoryGroup("r1"), (IndexRange{2, 4}));
  EXPECT_EQ(data.CategoryGroup("r2"), (IndexRange{5, 5}));
  EXPECT_EQ(data.CategoryGroup("r3"), std::nullopt);
  EXPECT_EQ(data.CategoryGroup("r"), std::nullopt);
  EXPECT_TRUE(data.categories()[0].has_children);
  EXPECT_TRUE(data.categories()[1].continues_group);
}

TEST(BlockDataTest, MembersOfACategoryAndMembersOutsideTheSecuritiesAreSkipped) {
  MarketLayout layout = ThreeSecurities();
  layout.categories = {Category(1, "", "a")};
  layout.members = {{"a", 0, 0}, {"", 0, 2}, {"b", 0, 3}, {"", 0, 1}, {"c", 0, 1000000}, {"d", 0, 1}};
  const CBlockData data = Decode(layout);
  ASSERT_EQ(data.members().size(), 4u);
  EXPECT_EQ(data.MembersOf("a"), (IndexRange{0, 1}));
  EXPECT_EQ(data.MembersOf("b"), (IndexRange{2, 2}));
  EXPECT_EQ(data.MembersOf("c"), std::nullopt);
  EXPECT_EQ(data.MembersOf("d"), (IndexRange{3, 3}));
}

TEST(BlockDataTest, ExtraTextsOfKindSevenAndOfSecuritiesAreSkipped) {
  MarketLayout layout = ThreeSecurities();
  layout.kind = 7;
  layout.security_extra = true;
  for (auto& s : layout.securities) s.extra = "extra";
  layout.categories = {Category(1, "", "a"), Category(0, "", "b", true)};
  layout.categories[0].extra = "xx";
  layout.members = {{"a", 0, 2}};
  const CBlockData data = Decode(layout);
  EXPECT_EQ(data.kind(), 7);
  ASSERT_EQ(data.securities().size(), 3u);
  ASSERT_EQ(data.categories().size(), 2u);
  EXPECT_EQ(data.categories()[1].code, "b");
  ASSERT_EQ(data.members().size(), 1u);
  EXPECT_EQ(data.members()[0].security_index, 2);
}

TEST(BlockDataTest, ShortFilesAreIgnoredAndBrokenBodiesGiveNoEntries) {
  MarketLayout layout = ThreeSecurities();
  std::vector<uint8_t> file = terminal::EncodeMarketData(layout);
  file.resize(std::max<size_t>(file.size(), 200));
  EXPECT_FALSE(CBlockData::Decode({file.data(), CBlockData::kMinFileSize - 1}, nullptr));
  std::vector<uint8_t> broken = file;
  broken[CBlockData::kHeaderSize + 2] ^= 0xFF;
  const std::optional<CBlockData> empty = CBlockData::Decode(broken, nullptr);
  ASSERT_TRUE(empty);
  EXPECT_TRUE(empty->securities().empty());
}

TEST(BlockDataTest, CountsBeyondTheBodyAndTextsBeyondTheirFieldsAreBounded) {
  MarketLayout layout = ThreeSecurities();
  layout.securities[2].code = std::string(40, '9');
  layout.categories = {Category(1, "", std::string(20, 'k'))};
  layout.categories[0].name = std::string(60, 'n');
  std::vector<uint8_t> file = terminal::EncodeMarketData(layout);
  StoreLittleEndian<int32_t>(file.data() + BlockDataHeader::kSecurityCountOffset, 5);  // two more securities than there are
  const std::optional<CBlockData> data = CBlockData::Decode(file, nullptr);
  ASSERT_TRUE(data);
  // The securities section reads on into the category bytes: they hold one more entry, and the
  // fifth finds the end of the body.
  EXPECT_EQ(data->securities().size(), 4u);
  EXPECT_EQ(data->securities()[2].code.size(), 15u);

  const CBlockData cut = Decode(layout);
  EXPECT_EQ(cut.categories()[0].code.size(), 15u);
  EXPECT_EQ(cut.categories()[0].name.size(), 31u);
  StoreLittleEndian<int32_t>(file.data() + BlockDataHeader::kSecurityCountOffset, 0x7FFFFFFF);
  StoreLittleEndian<int32_t>(file.data() + BlockDataHeader::kCategoryCountOffset, 0x7FFFFFFF);
  StoreLittleEndian<int32_t>(file.data() + BlockDataHeader::kMemberCountOffset, 0x7FFFFFFF);
  EXPECT_TRUE(CBlockData::Decode(file, nullptr));
}

}  // namespace
}  // namespace orra
