#pragma once
// The port through which the stand-in Excel drives one RTD server it has started: the calls of
// IRtdServer with plain values, whatever the server is. The Windows adapter creates the server
// by its ProgID and calls it through IDispatch by name, as Excel does; tests give servers of
// their own.
//
// Excel's main thread only: an apartment-threaded server answers on the thread that made it.

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "tools/xlhost/grid_value.h"

namespace orra::xlhost {

struct TopicUpdate {
  int32_t topic_id = 0;
  GridValue value;

  friend bool operator==(const TopicUpdate&, const TopicUpdate&) = default;
};

class RtdServerPort {
 public:
  virtual ~RtdServerPort() = default;

  // The value the cell shows until the first refresh; none when the server failed the call.
  virtual std::optional<GridValue> ConnectData(int32_t topic_id, const std::vector<std::u16string>& strings) = 0;
  // The topics the server reports and their new values; none when it failed the call or
  // answered something that is no report.
  virtual std::optional<std::vector<TopicUpdate>> RefreshData() = 0;
  virtual void DisconnectData(int32_t topic_id) = 0;
  // ServerTerminate; the server is let go with this object.
  virtual void Terminate() = 0;
  // Whether the server called UpdateNotify since the last time this was asked.
  virtual bool TakeUpdateNotice() = 0;
};

class RtdServerFactory {
 public:
  virtual ~RtdServerFactory() = default;
  // The server of `prog_id`, started (ServerStart answered a positive result); none when no
  // such server is registered, it cannot be created or it did not start.
  virtual std::unique_ptr<RtdServerPort> Start(std::u16string_view prog_id) = 0;
};

}  // namespace orra::xlhost
