// The stock-block INI text, read with the repairs applied in memory.
#include <cstdint>
#include <span>

#include "store/ini_text.h"
#include "store/self_block_list.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  orra::CIniText text(false);
  text.LoadText(std::span<const uint8_t>(data, size));
  const std::optional<orra::CSelfBlockList> list = orra::CSelfBlockList::ReadGroups(text, true);
  if (list) {
    for (const orra::SelfBlockGroup& group : list->groups()) {
      if (group.blocks.size() > orra::SelfBlockGroup::kMaxBlocks) __builtin_trap();
      for (const orra::SelfBlock& block : group.blocks) list->FindBlockOfFirstGroup(block.wide_name);
    }
  }
  return 0;
}
