#pragma once
// CSelfBlockList: the user's stock blocks from "userdata/selfblock.ini", grouped as the
// terminal groups them. Read (and, where the file is missing or announces no group, repaired)
// during the store's load on the loading thread; afterwards the insert-code dialog reads it on
// the user-interface thread and records in each stock which security it resolved to.

#include <atomic>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "common/file_system.h"
#include "store/ini_text.h"

namespace orra {

// Which security of the market navigation data a stock's code resolved to. Written by the one
// thread that lists the block; kept atomic so a reader elsewhere sees a whole value.
class ResolvedSecurity {
 public:
  static constexpr int64_t kUnknown = -1;
  static constexpr int64_t kNotFound = -2;

  ResolvedSecurity() = default;
  // noexcept, so that a vector of stocks moves its stocks' texts when it grows.
  ResolvedSecurity(const ResolvedSecurity& other) noexcept : value_(other.value_.load(std::memory_order_relaxed)) {}
  ResolvedSecurity& operator=(const ResolvedSecurity& other) noexcept {
    value_.store(other.value_.load(std::memory_order_relaxed), std::memory_order_relaxed);
    return *this;
  }

  int64_t get() const { return value_.load(std::memory_order_relaxed); }
  void set(int64_t security_index_or_state) { value_.store(security_index_or_state, std::memory_order_relaxed); }

 private:
  std::atomic<int64_t> value_{kUnknown};
};

struct SelfStock {
  static constexpr size_t kMaxCodeBytes = 15;
  static constexpr size_t kMaxTextBytes = 31;
  std::string code;  // GBK
  std::string name;  // GBK
  std::string info;  // GBK
  ResolvedSecurity resolved;
};

struct SelfBlock {
  static constexpr size_t kMaxNameBytes = 31;
  std::string name;  // GBK
  std::u16string wide_name;
  std::vector<SelfStock> stocks;
};

struct SelfBlockGroup {
  static constexpr size_t kMaxBlocks = 256;
  std::string name;  // GBK
  std::vector<SelfBlock> blocks;
};

class CSelfBlockList {
 public:
  // At most this many groups are read, this many stocks of a block and this many in all: a
  // count in the file beyond them is a lie that would only produce empty entries (and blocks of
  // many groups naming one section would multiply them).
  static constexpr int32_t kMaxGroups = 256;
  static constexpr int32_t kMaxStocksPerBlock = 10000;
  static constexpr int32_t kMaxStocksInAll = 100000;
  static constexpr int32_t kMaxBlocksInAll = 4096;

  // The text written when the file is missing or announces no group: one group 市场导航 with
  // one empty block 自选股一 (GBK, CR LF lines).
  static std::string_view DefaultFileText();

  // Reads `path`. When `create_allowed`, a missing file or one whose "#system#" section counts
  // no group is replaced by the default file. With `writes_allowed` false nothing is written:
  // what would have been written is used in memory. None when there is nothing to read, or the
  // "#system#" section cannot be found (the file is then left as it is).
  static std::optional<CSelfBlockList> Read(FileSystem& files, const std::u16string& path, bool create_allowed,
                                            bool writes_allowed);
  // The groups of an already loaded text (repairs go into `text`); none without a "#system#"
  // section.
  static std::optional<CSelfBlockList> ReadGroups(CIniText& text, bool create_allowed);

  const std::vector<SelfBlockGroup>& groups() const { return groups_; }
  std::vector<SelfBlockGroup>& groups() { return groups_; }
  const SelfBlockGroup* FirstGroup() const { return groups_.empty() ? nullptr : &groups_.front(); }
  // The block of the first group whose name equals `name` without regard to letter case.
  const SelfBlock* FindBlockOfFirstGroup(std::u16string_view name) const;

 private:
  static SelfBlockGroup ReadGroup(CIniText& text, std::string name, bool first_group, int32_t& blocks_left,
                                  int32_t& stocks_left);
  static std::vector<SelfStock> ReadStocks(CIniText& text, const std::string& section, int32_t& stocks_left);

  std::vector<SelfBlockGroup> groups_;
};

}  // namespace orra
