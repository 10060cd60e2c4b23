#include "tools/xlhost/png_image.h"

#include <zlib.h>

#include <array>
#include <string_view>

namespace orra::xlhost {
namespace {

constexpr std::array<uint8_t, 8> kSignature = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
constexpr uint8_t kBitDepth = 8;
constexpr uint8_t kColourTypeRgb = 2;
constexpr uint8_t kFilterNone = 0;
constexpr size_t kBytesPerPixel = 3;
// Screenshots are mostly flat colour; the default level gains little over the fastest here.
constexpr int kDeflateLevel = Z_BEST_SPEED;

void PutBigEndian(std::vector<uint8_t>& out, uint32_t value) {
  for (int shift = 24; shift >= 0; shift -= 8) out.push_back(static_cast<uint8_t>(value >> shift));
}

// Length, type, data and the CRC of type and data.
void PutChunk(std::vector<uint8_t>& out, std::string_view type, const std::vector<uint8_t>& data) {
  PutBigEndian(out, static_cast<uint32_t>(data.size()));
  const size_t type_at = out.size();
  out.insert(out.end(), type.begin(), type.end());
  out.insert(out.end(), data.begin(), data.end());
  const uLong crc = crc32(0L, out.data() + type_at, static_cast<uInt>(out.size() - type_at));
  PutBigEndian(out, static_cast<uint32_t>(crc));
}

}  // namespace

std::optional<std::vector<uint8_t>> EncodePng(const Picture& picture) {
  if (picture.width <= 0 || picture.height <= 0 ||
      picture.pixels.size() != static_cast<size_t>(picture.width) * static_cast<size_t>(picture.height)) {
    return std::nullopt;
  }
  const size_t width = static_cast<size_t>(picture.width);
  std::vector<uint8_t> rows;
  rows.reserve(static_cast<size_t>(picture.height) * (1 + width * kBytesPerPixel));
  for (size_t y = 0; y < static_cast<size_t>(picture.height); ++y) {
    rows.push_back(kFilterNone);
    for (size_t x = 0; x < width; ++x) {
      const uint32_t pixel = picture.pixels[y * width + x];
      rows.push_back(static_cast<uint8_t>(pixel >> 16));
      rows.push_back(static_cast<uint8_t>(pixel >> 8));
      rows.push_back(static_cast<uint8_t>(pixel));
    }
  }
  uLongf deflated_size = compressBound(static_cast<uLong>(rows.size()));
  std::vector<uint8_t> deflated(deflated_size);
  if (compress2(deflated.data(), &deflated_size, rows.data(), static_cast<uLong>(rows.size()), kDeflateLevel) != Z_OK) {
    return std::nullopt;
  }
  deflated.resize(deflated_size);

  std::vector<uint8_t> header;
  PutBigEndian(header, static_cast<uint32_t>(picture.width));
  PutBigEndian(header, static_cast<uint32_t>(picture.height));
  header.insert(header.end(), {kBitDepth, kColourTypeRgb, 0 /* deflate */, 0 /* adaptive filters */, 0 /* no interlace */});

  std::vector<uint8_t> file(kSignature.begin(), kSignature.end());
  PutChunk(file, "IHDR", header);
  PutChunk(file, "IDAT", deflated);
  PutChunk(file, "IEND", {});
  return file;
}

}  // namespace orra::xlhost
