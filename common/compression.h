#pragma once
// Whole-buffer zlib compression, as used for frame bodies and the terminal's packed files.

#include <cstddef>

namespace orra {

// zlib's levels at the two ends that matter here: the terminal packs its files at the best
// compression, and a sender that pays per frame may choose the fastest.
constexpr int kFastestCompression = 1;
constexpr int kBestCompression = 9;

// What compress2 at `level` (1 to 9) writes. `destination_length` is the room before, the
// compressed size after. True exactly when zlib reports success.
bool CompressBuffer(void* destination, size_t& destination_length, const void* source, size_t source_length,
                    int level = kBestCompression);

// uncompress. `destination_length` is the room before, the inflated size after. True exactly
// when zlib reports success (a destination too small is a failure).
bool UncompressBuffer(void* destination, size_t& destination_length, const void* source, size_t source_length);

// The room compress2 may need for `source_length` bytes.
size_t CompressBound(size_t source_length);

}  // namespace orra
