#include "tools/xlhost/rtd_link.h"

namespace orra::xlhost {
namespace {

constexpr double kNewTopicValue = -1;

}  // namespace

GridValue LocalTopicTable::Value(const RtdCall& call) {
  std::vector<std::u16string> key{call.prog_id, call.server};
  key.insert(key.end(), call.topics.begin(), call.topics.end());
  const auto [entry, added] =
      topic_ids_.emplace(std::move(key), static_cast<int32_t>(topic_ids_.size()));
  if (added) return kNewTopicValue;
  return static_cast<double>(entry->second);
}

}  // namespace orra::xlhost
