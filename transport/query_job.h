#pragma once
// One frame waiting to be sent by the connection thread: a query built by the query worker or
// a heartbeat made by the thread itself. The payload is a block from the pool.

#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string_view>

#include "common/pooled_block.h"
#include "common/topic_id.h"
#include "common/traffic_counters.h"
#include "transport/frame_codec.h"

namespace orra {

class dozodavu_config;

struct QueryJob {
  uint32_t message_code = 0;
  int32_t attempts = 0;  // failed sends so far
  TopicId context = 0;  // the request's topic id for a query, 0 for a heartbeat; sent as the frame's context
  std::unique_ptr<PooledBlock> payload;
  // The payload as its frame carries it, packed by the thread that made the job; none when it
  // is to be packed as it is sent (a heartbeat, or a pool that ran out).
  std::optional<PackedBody> packed;

  std::span<const uint8_t> bytes() const {
    return payload ? payload->bytes() : std::span<const uint8_t>();
  }

  // A query job (code 0x10010) for `document`, asking service `service` (UTF-16, converted to
  // GBK); null when the pool runs out.
  static std::unique_ptr<QueryJob> ForQuery(TopicId context, std::u16string_view service,
                                            const dozodavu_config& document);
  // A heartbeat job (code 0x10001) carrying the traffic totals.
  static std::unique_ptr<QueryJob> ForHeartbeat(const TrafficTotals& totals);
};

}  // namespace orra
