#include "store/self_block_list.h"

#include <gtest/gtest.h>

#include "testing/literal_bytes.h"
#include "testing/scratch_folder.h"

namespace orra {
namespace {

using testing::Gbk;

constexpr char16_t kFile[] = u"userdata/selfblock.ini";

class SelfBlockListTest : public ::testing::Test {
 protected:
  std::optional<CSelfBlockList> Read(bool writes_allowed = true) {
    return CSelfBlockList::Read(PlatformFileSystem(), folder_.directory() + kFile, true, writes_allowed);
  }
  std::string FileText() const {
    const std::vector<uint8_t> bytes = folder_.Read(kFile);
    return {bytes.begin(), bytes.end()};
  }
  void WriteFile(const std::string& utf8_text) const { folder_.Write(kFile, Gbk(utf8_text.c_str())); }

  testing::ScratchFolder folder_;
};

TEST_F(SelfBlockListTest, AMissingFileIsReplacedByTheDefaultFile) {
  folder_.Write(u"userdata/other", std::string());
  const std::optional<CSelfBlockList> list = Read();
  ASSERT_TRUE(list);
  EXPECT_EQ(FileText(), CSelfBlockList::DefaultFileText());
  EXPECT_EQ(FileText().size(), 108u);
  ASSERT_EQ(list->groups().size(), 1u);
  EXPECT_EQ(list->groups()[0].name, Gbk("市场导航"));
  ASSERT_EQ(list->groups()[0].blocks.size(), 1u);
  EXPECT_EQ(list->groups()[0].blocks[0].wide_name, u"自选股一");
  EXPECT_TRUE(list->groups()[0].blocks[0].stocks.empty());
}

TEST_F(SelfBlockListTest, WithoutWritesTheDefaultIsUsedAndNoFileIsMade) {
  const std::optional<CSelfBlockList> list = Read(false);
  ASSERT_TRUE(list);
  EXPECT_EQ(list->groups().size(), 1u);
  EXPECT_FALSE(folder_.Exists(kFile));
}

TEST_F(SelfBlockListTest, StocksCarryCodeNameAndInfoOrTakeThemFromNumberedKeys) {
  WriteFile(
      "[#system#]\r\ncount=2\r\nname1=G\r\nname2=H\r\n\r\n"
      "[G]\r\ncount=2\r\nname1=自选股一\r\nname2=Bank\r\n\r\n"
      "[G@自选股一]\r\ncount=3\r\nstock1=600000.sh|浦发银行|sh\r\nstock2=000001.sz\r\nname2=平安银行\r\ninfo2=sz\r\n"
      "stock3=600036.sh|招商银行\r\n\r\n"
      "[G@Bank]\r\ncount=1\r\nstock1=601398.sh|工商银行|\r\n\r\n"
      "[H]\r\ncount=1\r\nname1=Mine\r\n\r\n[H@Mine]\r\ncount=1\r\nstock1=000002.sz|x|y\r\n");
  const std::string before = FileText();
  const std::optional<CSelfBlockList> list = Read();
  ASSERT_TRUE(list);
  EXPECT_EQ(FileText(), before);  // nothing to repair
  ASSERT_EQ(list->groups().size(), 2u);
  const auto& stocks = list->groups()[0].blocks[0].stocks;
  ASSERT_EQ(stocks.size(), 3u);
  EXPECT_EQ(stocks[0].code, "600000.sh");
  EXPECT_EQ(stocks[0].name, Gbk("浦发银行"));
  EXPECT_EQ(stocks[0].info, "sh");
  EXPECT_EQ(stocks[1].name, Gbk("平安银行"));
  EXPECT_EQ(stocks[1].info, "sz");
  EXPECT_EQ(stocks[2].name, Gbk("招商银行"));
  EXPECT_EQ(stocks[2].info, "");
  EXPECT_EQ(list->FindBlockOfFirstGroup(u"BANK"), &list->groups()[0].blocks[1]);
  EXPECT_EQ(list->FindBlockOfFirstGroup(u"Mine"), nullptr);
  EXPECT_EQ(list->groups()[1].blocks[0].wide_name, u"Mine");  // only the first group's first block is renamed
}

TEST_F(SelfBlockListTest, AGroupWithoutBlocksGetsTheDefaultBlockWrittenAfterItsHeader) {
  WriteFile("[#system#]\r\ncount=1\r\nname1=G\r\n\r\n[G]\r\ncount=0\r\n\r\n[G@x]\r\ncount=0\r\n");
  const std::optional<CSelfBlockList> list = Read();
  ASSERT_TRUE(list);
  EXPECT_EQ(FileText(), Gbk("[#system#]\r\ncount=1\r\nname1=G\r\n\r\n[G]\r\nname1=自选股一\r\ncount=0\r\n\r\n[G@x]\r\ncount=0\r\n"));
  ASSERT_EQ(list->groups()[0].blocks.size(), 1u);
  EXPECT_EQ(list->groups()[0].blocks[0].name, Gbk("自选股一"));
}

TEST_F(SelfBlockListTest, ADefaultBlockReplacesAnotherFirstNameAndAMissingGroupIsAppended) {
  WriteFile("[#system#]\r\ncount=2\r\nname1=G\r\nname2=Lost\r\n\r\n[G]\r\ncount=0\r\nname1=Old\r\n");
  ASSERT_TRUE(Read());
  EXPECT_EQ(FileText(), Gbk("[#system#]\r\ncount=2\r\nname1=G\r\nname2=Lost\r\n\r\n[G]\r\ncount=0\r\nname1=自选股一\r\n"
                            "[Lost]\r\nname1=自选股一\r\n"));
}

TEST_F(SelfBlockListTest, TheFirstBlockIsListedAsTheDefaultBlockWithItsOwnStocks) {
  WriteFile("[#system#]\r\ncount=1\r\nname1=G\r\n\r\n[G]\r\ncount=1\r\nname1=我的自选\r\n\r\n"
            "[G@我的自选]\r\ncount=1\r\nstock1=600000.sh|a|b\r\n");
  const std::string before = FileText();
  const std::optional<CSelfBlockList> list = Read();
  ASSERT_TRUE(list);
  const SelfBlock& block = list->groups()[0].blocks[0];
  EXPECT_EQ(block.wide_name, u"自选股一");
  ASSERT_EQ(block.stocks.size(), 1u);
  EXPECT_EQ(block.stocks[0].code, "600000.sh");
  EXPECT_EQ(FileText(), before);
}

TEST_F(SelfBlockListTest, BlockCountsAreCappedAndKeysCountOnlyAtTheStartOfALine) {
  WriteFile("[#system#]\r\ncount=2\r\nname1=G\r\nname2=H\r\n\r\n[G]\r\ncount=300\r\n\r\n"
            "[H]\r\ncount=1\r\nnote=xname1=no\r\n");
  const std::optional<CSelfBlockList> list = Read();
  ASSERT_TRUE(list);
  EXPECT_EQ(list->groups()[0].blocks.size(), 256u);
  ASSERT_EQ(list->groups()[1].blocks.size(), 1u);
  EXPECT_EQ(list->groups()[1].blocks[0].name, "");
}

TEST_F(SelfBlockListTest, LongValuesAreCutWithoutSplittingACharacter) {
  WriteFile("[#system#]\r\ncount=1\r\nname1=G\r\n\r\n[G]\r\ncount=2\r\nname1=a\r\nname2=" + std::string(40, 'b') +
            "\r\n\r\n[G@a]\r\ncount=1\r\nstock1=" + std::string(20, '6') + "|一二三四五六七八九十一二三四五六七|i\r\n");
  const std::optional<CSelfBlockList> list = Read();
  ASSERT_TRUE(list);
  EXPECT_EQ(list->groups()[0].blocks[1].name, std::string(31, 'b'));
  const SelfStock& stock = list->groups()[0].blocks[0].stocks[0];
  EXPECT_EQ(stock.code, std::string(15, '6'));
  EXPECT_EQ(stock.name.size(), 30u);  // 15 double-byte characters; the 16th would need byte 32
}

TEST_F(SelfBlockListTest, NoGroupsMeansTheDefaultFileButAnUnreadableSystemSectionIsLeftAlone) {
  WriteFile("[#system#]\r\ncount=0\r\n");
  ASSERT_TRUE(Read());
  EXPECT_EQ(FileText(), CSelfBlockList::DefaultFileText());

  const std::string lf_only = Gbk("[#system#]\ncount=1\nname1=G\n\n[G]\ncount=1\nname1=自选股一\n");
  folder_.Write(kFile, lf_only);
  EXPECT_FALSE(Read());
  EXPECT_EQ(FileText(), lf_only);
}

}  // namespace
}  // namespace orra
