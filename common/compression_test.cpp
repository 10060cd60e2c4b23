#include "common/compression.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace orra {
namespace {

TEST(Compression, RoundTripsAndReportsSizes) {
  std::string text;
  for (int i = 0; i < 1000; ++i) text += "600000.sh close 12.34;";
  std::vector<unsigned char> packed(CompressBound(text.size()));
  size_t packed_length = packed.size();
  ASSERT_TRUE(CompressBuffer(packed.data(), packed_length, text.data(), text.size()));
  EXPECT_LT(packed_length, text.size() / 10);

  std::string back(text.size(), '\0');
  size_t back_length = back.size();
  ASSERT_TRUE(UncompressBuffer(back.data(), back_length, packed.data(), packed_length));
  EXPECT_EQ(back_length, text.size());
  EXPECT_EQ(back, text);
}

TEST(Compression, FailsWhenTheDestinationIsTooSmallOrTheInputIsNotZlib) {
  const std::string text(5000, 'x');
  std::vector<unsigned char> packed(CompressBound(text.size()));
  size_t packed_length = packed.size();
  ASSERT_TRUE(CompressBuffer(packed.data(), packed_length, text.data(), text.size()));

  std::string small(text.size() - 1, '\0');
  size_t small_length = small.size();
  EXPECT_FALSE(UncompressBuffer(small.data(), small_length, packed.data(), packed_length));

  size_t tiny = 4;
  EXPECT_FALSE(CompressBuffer(small.data(), tiny, text.data(), text.size()));

  const unsigned char garbage[] = {0x12, 0x34, 0x56, 0x78, 0x9a};
  size_t out_length = small.size();
  EXPECT_FALSE(UncompressBuffer(small.data(), out_length, garbage, sizeof garbage));
  packed[packed_length / 2] ^= 0xFF;
  out_length = small.size() + 1;
  std::string out(out_length, '\0');
  EXPECT_FALSE(UncompressBuffer(out.data(), out_length, packed.data(), packed_length));
}

}  // namespace
}  // namespace orra
