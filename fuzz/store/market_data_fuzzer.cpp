// The market navigation data as a whole file, and with its body repacked so mutations reach
// the three sections; every lookup on what decodes.
#include <cstdint>
#include <cstring>
#include <span>
#include <vector>

#include "fuzz/store/packed_body.h"
#include "store/block_data.h"
#include "store/key_index.h"

namespace {

void Exercise(std::span<const uint8_t> file, const orra::CKeyIndex* key_index) {
  const std::optional<orra::CBlockData> data = orra::CBlockData::Decode(file, key_index);
  if (!data) return;
  for (const orra::CategoryEntry& c : data->categories()) {
    if (auto group = data->CategoryGroup(c.parent_key)) {
      if (group->first > group->second || group->second >= data->categories().size()) __builtin_trap();
    }
    if (auto members = data->MembersOf(c.code)) {
      for (size_t i = members->first; i <= members->second; ++i) {
        const auto index = static_cast<size_t>(data->members()[i].security_index);
        if (index >= data->securities().size()) __builtin_trap();
      }
    }
  }
  for (const orra::SecurityEntry& s : data->securities()) data->FindSecurity(s.code);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // Two securities whose names the market data may borrow.
  static const orra::CKeyIndex key_index = [] {
    std::vector<uint8_t> raw(orra::CKeyIndex::kHeaderSize + 2 * orra::CKeyIndex::kRecordSize, 0);
    const char* codes[] = {"000001.sz", "600000.sh"};
    for (size_t i = 0; i < 2; ++i) {
      uint8_t* record = raw.data() + orra::CKeyIndex::kHeaderSize + i * orra::CKeyIndex::kRecordSize;
      std::memcpy(record, codes[i], 9);
      std::memcpy(record + 23, "name", 4);
    }
    return orra::CKeyIndex::Decode(orra::fuzz::RepackBody(raw, orra::CKeyIndex::kHeaderSize, 96, 100))
        .value_or(orra::CKeyIndex());
  }();
  const std::span<const uint8_t> input(data, size);
  Exercise(input, nullptr);
  const std::vector<uint8_t> repacked = orra::fuzz::RepackBody(input, orra::CBlockData::kHeaderSize, 148, 152);
  if (!repacked.empty()) Exercise(repacked, &key_index);
  return 0;
}
