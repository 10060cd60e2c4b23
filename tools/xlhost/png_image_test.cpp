#include "tools/xlhost/png_image.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <string>

namespace orra::xlhost {
namespace {

uint32_t BigEndian(const std::vector<uint8_t>& bytes, size_t at) {
  return uint32_t{bytes[at]} << 24 | uint32_t{bytes[at + 1]} << 16 | uint32_t{bytes[at + 2]} << 8 | bytes[at + 3];
}

struct Chunk {
  std::string type;
  std::vector<uint8_t> data;
};

// The chunks after the signature, each checked against its CRC as a decoder checks it.
std::vector<Chunk> ReadChunks(const std::vector<uint8_t>& file) {
  std::vector<Chunk> chunks;
  size_t at = 8;
  while (at + 12 <= file.size()) {
    const uint32_t length = BigEndian(file, at);
    if (at + 12 + length > file.size()) break;
    Chunk chunk{std::string(file.begin() + static_cast<long>(at) + 4, file.begin() + static_cast<long>(at) + 8),
                std::vector<uint8_t>(file.begin() + static_cast<long>(at) + 8,
                                     file.begin() + static_cast<long>(at + 8 + length))};
    const uLong crc = crc32(0L, file.data() + at + 4, 4 + length);
    EXPECT_EQ(BigEndian(file, at + 8 + length), crc) << chunk.type;
    chunks.push_back(std::move(chunk));
    at += 12 + length;
  }
  EXPECT_EQ(at, file.size()) << "no bytes after the last chunk";
  return chunks;
}

TEST(PngImageTest, WritesAnRgbImageThatInflatesToItsRows) {
  const Picture picture{3, 2, {0x112233, 0x445566, 0x778899, 0xAABBCC, 0xDDEEFF, 0x000000}};
  const auto file = EncodePng(picture);
  ASSERT_TRUE(file);
  const std::vector<uint8_t> signature = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  ASSERT_GE(file->size(), signature.size());
  EXPECT_TRUE(std::equal(signature.begin(), signature.end(), file->begin()));
  const std::vector<Chunk> chunks = ReadChunks(*file);
  ASSERT_EQ(chunks.size(), 3u);
  EXPECT_EQ(chunks[0].type, "IHDR");
  EXPECT_EQ(chunks[0].data, (std::vector<uint8_t>{0, 0, 0, 3, 0, 0, 0, 2, 8, 2, 0, 0, 0}));
  EXPECT_EQ(chunks[1].type, "IDAT");
  EXPECT_EQ(chunks[2].type, "IEND");
  EXPECT_TRUE(chunks[2].data.empty());

  std::vector<uint8_t> rows(2 * (1 + 3 * 3));
  uLongf size = static_cast<uLongf>(rows.size());
  ASSERT_EQ(uncompress(rows.data(), &size, chunks[1].data.data(), static_cast<uLong>(chunks[1].data.size())), Z_OK);
  EXPECT_EQ(size, rows.size());
  EXPECT_EQ(rows, (std::vector<uint8_t>{0, 0x11, 0x22, 0x33, 0x44, 0x55, 0x66, 0x77, 0x88, 0x99,
                                        0, 0xAA, 0xBB, 0xCC, 0xDD, 0xEE, 0xFF, 0x00, 0x00, 0x00}));
}

TEST(PngImageTest, RefusesAPictureWhosePixelsDoNotMatchItsSize) {
  EXPECT_FALSE(EncodePng(Picture{}));
  EXPECT_FALSE(EncodePng(Picture{2, 2, {1, 2, 3}}));
  EXPECT_FALSE(EncodePng(Picture{-1, -1, {1}}));
}

}  // namespace
}  // namespace orra::xlhost
