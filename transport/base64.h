#pragma once
// Standard base64 (RFC 4648 alphabet) with a chosen padding character.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace orra {

// Writes the encoding of n source bytes and a terminating zero into a destination of
// `destination_size` bytes. Answers the characters written (zero not counted), or 0 when the
// output and its zero do not fit.
size_t Base64Encode(char* destination, const void* source, size_t n, char padding, size_t destination_size);
std::string Base64Encode(std::span<const uint8_t> source);
// Decodes "="-padded or unpadded base64; nothing on a character outside the alphabet.
std::optional<std::vector<uint8_t>> Base64Decode(std::string_view text);

}  // namespace orra
