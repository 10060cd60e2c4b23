#pragma once
// What the stand-in Excel does with an xlfRtd call once it has read the call's texts: find the
// topic among those it has connected and answer the topic's current value. This table only
// numbers topics, the way Excel tells them apart; the RTD server behind the ProgID is driven
// through COM by another implementation of RtdLink.
//
// Excel's main thread only.

#include <map>
#include <string>
#include <vector>

#include "tools/xlhost/grid_value.h"

namespace orra::xlhost {

struct RtdCall {
  std::u16string prog_id;
  std::u16string server;
  std::vector<std::u16string> topics;  // every topic as text, in the formula's order

  friend bool operator==(const RtdCall&, const RtdCall&) = default;
};

class RtdLink {
 public:
  virtual ~RtdLink() = default;
  // The value xlfRtd answers to `call`.
  virtual GridValue Value(const RtdCall& call) = 0;
};

// Each distinct ProgID, server and topic list (compared exactly, as Excel compares topic
// strings) is one topic. Its first call answers -1, what the add-in's server gives a topic it
// has just connected; later calls answer the topic's id, what the server reports once the
// topic has data.
class LocalTopicTable final : public RtdLink {
 public:
  GridValue Value(const RtdCall& call) override;
  size_t topic_count() const { return topic_ids_.size(); }

 private:
  std::map<std::vector<std::u16string>, int32_t> topic_ids_;
};

}  // namespace orra::xlhost
