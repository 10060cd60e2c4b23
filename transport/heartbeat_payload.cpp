#include "transport/heartbeat_payload.h"

#include "transport/wire_bytes.h"

namespace orra {

std::array<uint8_t, kHeartbeatPayloadSize> MakeHeartbeatPayload(const TrafficTotals& totals) {
  std::array<uint8_t, kHeartbeatPayloadSize> payload{};
  PutU64(payload.data() + 8, totals.bytes_received);
  PutU64(payload.data() + 16, totals.bytes_sent);
  PutU32(payload.data() + 24, totals.frames_received);
  return payload;
}

std::optional<TrafficTotals> ReadHeartbeatPayload(std::span<const uint8_t> payload) {
  if (payload.size() < kHeartbeatPayloadSize) return std::nullopt;
  TrafficTotals totals;
  totals.bytes_received = GetU64(payload.data() + 8);
  totals.bytes_sent = GetU64(payload.data() + 16);
  totals.frames_received = GetU32(payload.data() + 24);
  return totals;
}

}  // namespace orra
