#pragma once
// The zlib body of the terminal's packed files (market navigation data, key index), inflated
// into a buffer of the size the header states.

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace orra {

// None when the sizes are negative, the stated size could not come from so few compressed
// bytes, or zlib refuses. The compressed size is bounded by the bytes present.
std::optional<std::vector<uint8_t>> InflateBody(std::span<const uint8_t> after_header, int32_t inflated_size,
                                                int32_t compressed_size);

}  // namespace orra
