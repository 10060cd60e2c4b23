#pragma once
// The byte layouts of the files the desktop terminal leaves in its data directory, as the
// stand-in terminal writes them. Every value is written as given (a scheme id of 0, an empty
// parent key), so tests can also produce the carried and broken forms the store must read.

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace orra::terminal {

// One record of a record file; texts GBK.
struct RecordLayout {
  bool folder = false;
  int64_t parent_id = 0;
  int64_t id = 0;
  std::string name;
  std::vector<uint8_t> payload;      // padded with zeros or cut to the file's payload size
  std::array<std::string, 6> fields;  // the six variable fields, written as they stand
};

std::vector<uint8_t> EncodeRecordFile(int32_t payload_size, int32_t revision,
                                      const std::vector<RecordLayout>& records);

// An indicator descriptor's payload (38 bytes) and a parameter record's (204 bytes).
std::vector<uint8_t> IndicatorPayload(uint8_t value_kind, uint8_t decimals, uint8_t alignment, uint8_t date_style);
std::vector<uint8_t> ParameterPayload(int32_t control_type, const std::string& caption, const std::string& default_text);

struct SecurityLayout {
  std::string code;
  std::string name;
  std::string extra;  // written only when the file's securities carry an extra text
};

struct CategoryLayout {
  bool has_children = false;
  bool continues_group = false;
  uint64_t scheme_id = 0;  // as packed: 0 carries the previous one
  std::string parent_key;  // empty carries the previous one
  std::string code;
  std::string name;
  std::string extra;  // written only for kind 7
};

struct MemberLayout {
  std::string category_code;  // empty carries the previous one
  uint64_t scheme_id = 0;
  uint64_t security_index = 0;
};

struct MarketLayout {
  int32_t kind = 0;
  bool security_extra = false;
  std::vector<SecurityLayout> securities;
  std::vector<CategoryLayout> categories;
  std::vector<MemberLayout> members;
};

std::vector<uint8_t> EncodeMarketData(const MarketLayout& market);
// Securities as code and name, 71-byte records.
std::vector<uint8_t> EncodeKeyIndex(const std::vector<SecurityLayout>& securities);

// Packed number: seven bits a byte, low group first, the lowest bit set when more follow.
void AppendPackedNumber(std::vector<uint8_t>& out, uint64_t value);

}  // namespace orra::terminal
