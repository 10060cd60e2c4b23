#include "transport/base64.h"

namespace orra {
namespace {
constexpr char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
constexpr size_t kAlphabetSize = sizeof kAlphabet - 1;

// The six bits a character of the alphabet stands for; none for any other character.
std::optional<uint32_t> DecodeChar(char c) {
  const char* const at = std::char_traits<char>::find(kAlphabet, kAlphabetSize, c);
  if (at == nullptr) return std::nullopt;
  return static_cast<uint32_t>(at - kAlphabet);
}
}  // namespace

size_t Base64Encode(char* destination, const void* source, size_t n, char padding, size_t destination_size) {
  const size_t needed = (n + 2) / 3 * 4;
  if (destination == nullptr || destination_size < needed + 1) return 0;
  const auto* s = static_cast<const uint8_t*>(source);
  size_t out = 0;
  for (size_t i = 0; i < n; i += 3) {
    const uint32_t b0 = s[i];
    const uint32_t b1 = i + 1 < n ? s[i + 1] : 0;
    const uint32_t b2 = i + 2 < n ? s[i + 2] : 0;
    const uint32_t triple = (b0 << 16) | (b1 << 8) | b2;
    destination[out++] = kAlphabet[(triple >> 18) & 63];
    destination[out++] = kAlphabet[(triple >> 12) & 63];
    destination[out++] = i + 1 < n ? kAlphabet[(triple >> 6) & 63] : padding;
    destination[out++] = i + 2 < n ? kAlphabet[triple & 63] : padding;
  }
  destination[out] = '\0';
  return out;
}

std::string Base64Encode(std::span<const uint8_t> source) {
  std::string text((source.size() + 2) / 3 * 4 + 1, '\0');
  const size_t n = Base64Encode(text.data(), source.data(), source.size(), '=', text.size());
  text.resize(n);
  return text;
}

std::optional<std::vector<uint8_t>> Base64Decode(std::string_view text) {
  while (!text.empty() && text.back() == '=') text.remove_suffix(1);
  std::vector<uint8_t> bytes;
  bytes.reserve(text.size() * 3 / 4);
  uint32_t bits = 0;
  int count = 0;
  for (char c : text) {
    const std::optional<uint32_t> v = DecodeChar(c);
    if (!v) return std::nullopt;
    bits = (bits << 6) | *v;
    count += 6;
    if (count >= 8) {
      count -= 8;
      bytes.push_back(static_cast<uint8_t>(bits >> count));
    }
  }
  if (count >= 6) return std::nullopt;  // a single leftover character is not base64
  return bytes;
}

}  // namespace orra
