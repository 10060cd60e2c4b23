#include "store/compressed_body.h"

#include <algorithm>

#include "common/compression.h"

namespace orra {
namespace {
// Deflate cannot expand data by more than about 1032 to 1; a stated size above this bound is a
// lie, and allocating it would let a small file take gigabytes.
constexpr uint64_t kMaxInflateRatio = 1040;
constexpr uint64_t kInflateSlack = 4096;
}  // namespace

std::optional<std::vector<uint8_t>> InflateBody(std::span<const uint8_t> after_header, int32_t inflated_size,
                                                int32_t compressed_size) {
  if (inflated_size < 0 || compressed_size < 0) return std::nullopt;
  const size_t present = std::min(after_header.size(), static_cast<size_t>(compressed_size));
  if (static_cast<uint64_t>(inflated_size) > present * kMaxInflateRatio + kInflateSlack) return std::nullopt;
  std::vector<uint8_t> body(static_cast<size_t>(inflated_size));
  if (body.empty()) return body;
  size_t length = body.size();
  if (!UncompressBuffer(body.data(), length, after_header.data(), present)) return std::nullopt;
  body.resize(length);
  return body;
}

}  // namespace orra
