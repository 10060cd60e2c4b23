#pragma once
// For the fuzzers of the packed files: the input's bytes after the header, taken as an
// inflated body and packed again with the header's sizes set to match, so that mutations reach
// the body's decoder instead of dying in zlib.

#include <cstdint>
#include <cstring>
#include <span>
#include <vector>

#include "common/compression.h"

namespace orra::fuzz {

inline std::vector<uint8_t> RepackBody(std::span<const uint8_t> input, size_t header_size, size_t inflated_offset,
                                       size_t compressed_offset) {
  if (input.size() < header_size) return {};
  const std::span<const uint8_t> body = input.subspan(header_size);
  std::vector<uint8_t> file(input.begin(), input.begin() + static_cast<ptrdiff_t>(header_size));
  std::vector<uint8_t> packed(CompressBound(body.size()));
  size_t length = packed.size();
  if (!CompressBuffer(packed.data(), length, body.data(), body.size())) return {};
  const auto put = [&](size_t offset, uint32_t value) {
    for (size_t i = 0; i < 4; ++i) file[offset + i] = static_cast<uint8_t>(value >> (8 * i));
  };
  put(inflated_offset, static_cast<uint32_t>(body.size()));
  put(compressed_offset, static_cast<uint32_t>(length));
  file.insert(file.end(), packed.begin(), packed.begin() + static_cast<ptrdiff_t>(length));
  return file;
}

}  // namespace orra::fuzz
