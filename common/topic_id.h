#pragma once
// TopicId: the id Excel gives an RTD topic in IRtdServer::ConnectData (a `long`, 32-bit signed
// on Windows), and the one name a request goes by from there through the query job to the
// server's reply and back to the cell. Excel chooses the values; the system only compares and
// returns them, so any value, negative ones too, must travel unchanged.

#include <cstdint>

namespace orra {

using TopicId = int32_t;

}  // namespace orra
