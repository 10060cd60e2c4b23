#include "transport/base64.h"

#include <gtest/gtest.h>

#include <array>

namespace orra {
namespace {

std::span<const uint8_t> Bytes(std::string_view text) {
  return {reinterpret_cast<const uint8_t*>(text.data()), text.size()};
}

std::string Decoded(std::string_view text) {
  const auto bytes = Base64Decode(text);
  EXPECT_TRUE(bytes) << text;
  return bytes ? std::string(bytes->begin(), bytes->end()) : std::string();
}

// The test vectors of RFC 4648, section 10.
TEST(Base64, EncodesAndDecodesTheStandardVectors) {
  const std::array<std::pair<std::string_view, std::string_view>, 7> vectors = {{
      {"", ""}, {"f", "Zg=="}, {"fo", "Zm8="}, {"foo", "Zm9v"},
      {"foob", "Zm9vYg=="}, {"fooba", "Zm9vYmE="}, {"foobar", "Zm9vYmFy"}}};
  for (const auto& [plain, encoded] : vectors) {
    EXPECT_EQ(Base64Encode(Bytes(plain)), encoded);
    EXPECT_EQ(Decoded(encoded), plain);
  }
}

TEST(Base64, UsesTheWholeAlphabetAndRoundTripsEveryByteAtEveryTailLength) {
  EXPECT_EQ(Base64Encode(std::vector<uint8_t>{0xFB, 0xFF, 0xBF}), "+/+/");
  std::vector<uint8_t> all(256);
  for (size_t i = 0; i < all.size(); ++i) all[i] = static_cast<uint8_t>(255 - i);
  for (size_t n : {254u, 255u, 256u}) {
    const std::span<const uint8_t> source(all.data(), n);
    const std::string text = Base64Encode(source);
    EXPECT_EQ(text.size(), (n + 2) / 3 * 4);
    const auto back = Base64Decode(text);
    ASSERT_TRUE(back);
    EXPECT_EQ(*back, std::vector<uint8_t>(source.begin(), source.end())) << n;
  }
}

TEST(Base64, TheBoundedEncoderNeedsRoomForItsZeroAndTakesAnyPadding) {
  const std::string_view source = "fo";
  std::array<char, 8> out{};
  EXPECT_EQ(Base64Encode(out.data(), source.data(), source.size(), '.', 5), 4u);
  EXPECT_EQ(std::string(out.data()), "Zm8.");
  out.fill('x');
  EXPECT_EQ(Base64Encode(out.data(), source.data(), source.size(), '=', 4), 0u) << "no room for the zero";
  EXPECT_EQ(out[0], 'x') << "nothing written when it does not fit";
  EXPECT_EQ(Base64Encode(nullptr, source.data(), source.size(), '=', 100), 0u);
  EXPECT_EQ(Base64Encode(out.data(), nullptr, 0, '=', 1), 0u);
  EXPECT_EQ(out[0], '\0');
}

TEST(Base64, DecodesUnpaddedTextAndRejectsWhatIsNotBase64) {
  EXPECT_EQ(Decoded("Zm8"), "fo");
  EXPECT_EQ(Decoded("Zg"), "f");
  EXPECT_FALSE(Base64Decode("Zm9vY")) << "a single character left over carries no byte";
  EXPECT_FALSE(Base64Decode("Zm 9v"));
  EXPECT_FALSE(Base64Decode("Zm=v"));
  EXPECT_FALSE(Base64Decode("Zm9v\n"));
  EXPECT_FALSE(Base64Decode("Zm9-"));  // the URL-safe alphabet is not this one
  EXPECT_FALSE(Base64Decode("\xC4\xE3"));
}

}  // namespace
}  // namespace orra
