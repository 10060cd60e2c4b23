#pragma once
// The body of a heartbeat frame (code 0x10001): 28 bytes carrying the traffic totals.

#include <array>
#include <cstdint>
#include <optional>
#include <span>

#include "common/traffic_counters.h"

namespace orra {

constexpr size_t kHeartbeatPayloadSize = 28;

std::array<uint8_t, kHeartbeatPayloadSize> MakeHeartbeatPayload(const TrafficTotals& totals);
std::optional<TrafficTotals> ReadHeartbeatPayload(std::span<const uint8_t> payload);

}  // namespace orra
