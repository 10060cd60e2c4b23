#pragma once
// What the store reads out of the two kinds of leaf records: an indicator descriptor (the
// indicator file, payload 38) and a parameter record (the system dictionary, payload 204).

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "store/choice_list.h"
#include "store/record_file.h"

namespace orra {

// An indicator as the query worker and the dialogs use it; an owned copy, so it outlives the
// load that produced it.
struct IndicatorDescriptor {
  std::string name;  // GBK
  int64_t id = 0;
  int64_t parent_id = 0;
  uint8_t value_kind = 0;
  uint8_t decimals = 0;
  uint8_t alignment = 0;
  uint8_t date_style = 0;
  std::vector<std::string> parameters;  // GBK names or decimal ids, in order
  std::string service;                  // GBK
};

IndicatorDescriptor DescribeIndicator(const RecordView& record);

enum class ControlType : int32_t { kChoiceList = 0, kDate = 1, kFreeText = 2 };

// A parameter record's fields (payload offsets 0, 40 and 104).
int32_t ParameterControlType(const RecordView& record);
std::string_view ParameterCaption(const RecordView& record);
std::string_view ParameterDefaultText(const RecordView& record);
// Field 1, or when that is shorter than 2 bytes, field 5's length read from where field 1
// starts.
std::span<const uint8_t> ParameterChoiceText(const RecordView& record);

}  // namespace orra
