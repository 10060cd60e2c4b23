#pragma once
// What the stand-in Excel does with an xlfRtd call once it has read the call's texts: find the
// topic among those it has connected and answer the topic's current value. RtdClient is the
// implementation, driving the RTD server behind the ProgID.
//
// Excel's main thread only.

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

}  // namespace orra::xlhost
