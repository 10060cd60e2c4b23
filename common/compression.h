#pragma once
// Whole-buffer zlib compression, as used for frame bodies and the terminal's packed files.

#include <cstddef>

namespace orra {

// compress2 at level 9. `destination_length` is the room before, the compressed size after.
// True exactly when zlib reports success.
bool CompressBuffer(void* destination, size_t& destination_length, const void* source, size_t source_length);

// uncompress. `destination_length` is the room before, the inflated size after. True exactly
// when zlib reports success (a destination too small is a failure).
bool UncompressBuffer(void* destination, size_t& destination_length, const void* source, size_t source_length);

// The room compress2 may need for `source_length` bytes.
size_t CompressBound(size_t source_length);

}  // namespace orra
