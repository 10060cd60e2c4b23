// The security key index as a whole file, and with its body repacked.
#include <cstdint>
#include <span>

#include "fuzz/store/packed_body.h"
#include "store/key_index.h"

namespace {

void Exercise(std::span<const uint8_t> file) {
  const std::optional<orra::CKeyIndex> index = orra::CKeyIndex::Decode(file);
  if (!index) return;
  for (const orra::SecurityEntry& s : index->securities()) {
    if (s.code.size() > orra::SecurityEntry::kMaxCodeBytes) __builtin_trap();
    index->FindSecurity(s.code);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::span<const uint8_t> input(data, size);
  Exercise(input);
  const std::vector<uint8_t> repacked = orra::fuzz::RepackBody(input, orra::CKeyIndex::kHeaderSize, 96, 100);
  if (!repacked.empty()) Exercise(repacked);
  return 0;
}
