#pragma once
// TopicId: the id Excel gives an RTD topic in IRtdServer::ConnectData (a `long`, 32-bit signed
// on Windows), and the one name a request goes by from there through the query job to the
// server's reply and back to the cell. Excel chooses the values; the system only compares and
// returns them, so any value, negative ones too, must travel unchanged.

#include <cstdint>

namespace orra {

using TopicId = int32_t;

// A frame carries the id as its unsigned 32-bit context: the same bits, so a negative id comes
// back as itself. Every place that puts an id on the wire or matches one coming back converts here.
constexpr uint32_t WireContext(TopicId topic) { return static_cast<uint32_t>(topic); }
constexpr TopicId TopicOfWireContext(uint32_t context) { return static_cast<TopicId>(context); }

}  // namespace orra
