#include "store/self_block_list.h"

#include <algorithm>

#include "store/gbk_text.h"

namespace orra {
namespace {

constexpr std::string_view kSystemSection = "#system#";
constexpr size_t kMaxStockLineBytes = 254;
// 自选股一 in GBK and UTF-16.
constexpr std::string_view kDefaultBlockName = "\xD7\xD4\xD1\xA1\xB9\xC9\xD2\xBB";
constexpr std::u16string_view kWideDefaultBlockName = u"自选股一";

// "[#system#]\r\ncount=1\r\nname1=市场导航\r\n\r\n[市场导航]\r\ncount=1\r\nname1=自选股一\r\n\r\n"
// "[市场导航@自选股一]\r\ncount=0\r\n" in GBK: 108 bytes.
constexpr std::string_view kDefaultFile =
    "[#system#]\r\ncount=1\r\nname1=\xCA\xD0\xB3\xA1\xB5\xBC\xBA\xBD\r\n\r\n"
    "[\xCA\xD0\xB3\xA1\xB5\xBC\xBA\xBD]\r\ncount=1\r\nname1=\xD7\xD4\xD1\xA1\xB9\xC9\xD2\xBB\r\n\r\n"
    "[\xCA\xD0\xB3\xA1\xB5\xBC\xBA\xBD@\xD7\xD4\xD1\xA1\xB9\xC9\xD2\xBB]\r\ncount=0\r\n";

std::string Numbered(std::string_view key, int32_t n) { return std::string(key) + std::to_string(n); }

std::span<const uint8_t> DefaultBytes() {
  return {reinterpret_cast<const uint8_t*>(kDefaultFile.data()), kDefaultFile.size()};
}

// The next "|"-separated part of `rest`, cut to `max_bytes`.
std::string TakePart(std::string_view& rest, size_t max_bytes) {
  const size_t bar = rest.find('|');
  const std::string_view part = rest.substr(0, bar);
  rest = bar == std::string_view::npos ? std::string_view() : rest.substr(bar + 1);
  return std::string(CutGbk(part, max_bytes));
}

// Writes the default file and loads it into `text`; without writes, only loads it.
bool LoadDefault(FileSystem& files, const std::u16string& path, bool writes_allowed, CIniText& text) {
  if (!writes_allowed) {
    text.LoadText(DefaultBytes());
    return true;
  }
  return ReplaceFileContent(files, path, DefaultBytes()) && text.Load(files, path);
}

}  // namespace

std::string_view CSelfBlockList::DefaultFileText() { return kDefaultFile; }

std::optional<CSelfBlockList> CSelfBlockList::Read(FileSystem& files, const std::u16string& path, bool create_allowed,
                                                   bool writes_allowed) {
  CIniText text(writes_allowed);
  if (!text.Load(files, path) && !(create_allowed && LoadDefault(files, path, writes_allowed, text))) {
    return std::nullopt;
  }
  if (create_allowed && text.HasSection(kSystemSection) && text.GetCount(kSystemSection) <= 0) {
    text.Close(files);
    CIniText fresh(writes_allowed);
    if (!LoadDefault(files, path, writes_allowed, fresh)) return std::nullopt;
    std::optional<CSelfBlockList> list = ReadGroups(fresh, create_allowed);
    fresh.Close(files);
    return list;
  }
  std::optional<CSelfBlockList> list = ReadGroups(text, create_allowed);
  text.Close(files);
  return list;
}

std::optional<CSelfBlockList> CSelfBlockList::ReadGroups(CIniText& text, bool create_allowed) {
  // A file without the "#system#" section (for example one with LF-only lines) may hold the
  // user's blocks in a form this reader does not parse: offer nothing and change nothing.
  if (!text.HasSection(kSystemSection)) return std::nullopt;
  const int32_t count = std::min(text.GetCount(kSystemSection), kMaxGroups);
  CSelfBlockList list;
  int32_t blocks_left = kMaxBlocksInAll;
  int32_t stocks_left = kMaxStocksInAll;
  for (int32_t n = 1; n <= count; ++n) {
    std::string name = text.GetString(kSystemSection, Numbered("name", n), SelfBlock::kMaxNameBytes);
    list.groups_.push_back(ReadGroup(text, std::move(name), create_allowed && n == 1, blocks_left, stocks_left));
  }
  return list;
}

SelfBlockGroup CSelfBlockList::ReadGroup(CIniText& text, std::string name, bool first_group, int32_t& blocks_left,
                                         int32_t& stocks_left) {
  SelfBlockGroup group;
  group.name = std::move(name);
  int32_t count = std::min<int32_t>(text.GetCount(group.name), static_cast<int32_t>(SelfBlockGroup::kMaxBlocks));
  if (count <= 0) {
    text.AddDefaultBlock(group.name);
    count = 1;
  }
  count = std::min(count, std::max(blocks_left, 0));
  blocks_left -= count;
  for (int32_t n = 1; n <= count; ++n) {
    SelfBlock block;
    block.name = text.GetString(group.name, Numbered("name", n), SelfBlock::kMaxNameBytes);
    block.stocks = ReadStocks(text, group.name + "@" + block.name, stocks_left);
    block.wide_name = WideOfGbk(block.name, SelfBlock::kMaxNameBytes);
    // The first group's first block is the user's default list whatever the file calls it.
    if (first_group && n == 1 && !EqualsFoldingAsciiCase(block.name, kDefaultBlockName)) {
      block.name = std::string(kDefaultBlockName);
      block.wide_name = std::u16string(kWideDefaultBlockName);
    }
    group.blocks.push_back(std::move(block));
  }
  return group;
}

std::vector<SelfStock> CSelfBlockList::ReadStocks(CIniText& text, const std::string& section, int32_t& stocks_left) {
  const int32_t count = std::min({text.GetCount(section), kMaxStocksPerBlock, stocks_left});
  if (count > 0) stocks_left -= count;
  std::vector<SelfStock> stocks;
  stocks.reserve(static_cast<size_t>(std::max(count, 0)));
  for (int32_t n = 1; n <= count; ++n) {
    std::string line = text.GetString(section, Numbered("stock", n), kMaxStockLineBytes);
    std::string_view rest = line;
    SelfStock stock;
    stock.code = TakePart(rest, SelfStock::kMaxCodeBytes);
    stock.name = TakePart(rest, SelfStock::kMaxTextBytes);
    stock.info = TakePart(rest, SelfStock::kMaxTextBytes);
    if (stock.name.empty()) {
      stock.name = text.GetString(section, Numbered("name", n), SelfStock::kMaxTextBytes);
      stock.info = text.GetString(section, Numbered("info", n), SelfStock::kMaxTextBytes);
    }
    stocks.push_back(std::move(stock));
  }
  return stocks;
}

const SelfBlock* CSelfBlockList::FindBlockOfFirstGroup(std::u16string_view name) const {
  const SelfBlockGroup* first = FirstGroup();
  if (first == nullptr) return nullptr;
  for (const SelfBlock& block : first->blocks) {
    if (EqualsFoldingAsciiCase(block.wide_name, name)) return &block;
  }
  return nullptr;
}

}  // namespace orra
