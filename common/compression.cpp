#include "common/compression.h"

#include <zlib.h>

#include <limits>

namespace orra {
namespace {
constexpr size_t kZlibMax = std::numeric_limits<uLong>::max();
}

bool CompressBuffer(void* destination, size_t& destination_length, const void* source, size_t source_length) {
  if (destination_length > kZlibMax || source_length > kZlibMax) return false;
  uLongf length = static_cast<uLongf>(destination_length);
  const int rc = compress2(static_cast<Bytef*>(destination), &length, static_cast<const Bytef*>(source),
                           static_cast<uLong>(source_length), 9);
  if (rc != Z_OK) return false;
  destination_length = length;
  return true;
}

bool UncompressBuffer(void* destination, size_t& destination_length, const void* source, size_t source_length) {
  if (destination_length > kZlibMax || source_length > kZlibMax) return false;
  uLongf length = static_cast<uLongf>(destination_length);
  const int rc = uncompress(static_cast<Bytef*>(destination), &length, static_cast<const Bytef*>(source),
                            static_cast<uLong>(source_length));
  if (rc != Z_OK) return false;
  destination_length = length;
  return true;
}

size_t CompressBound(size_t source_length) {
  if (source_length > kZlibMax) return 0;
  return compressBound(static_cast<uLong>(source_length));
}

}  // namespace orra
