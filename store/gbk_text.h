#pragma once
// Small operations on the terminal's GBK byte texts: fixed fields, cuts that do not split a
// double-byte character, and the A-Z folded comparison the terminal's lookups use.

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace orra {

// The text of a zero-terminated field: up to the first zero, or the whole field.
std::string_view FieldText(std::span<const uint8_t> field);
std::string_view FieldText(const char* field, size_t width);

// The longest prefix of `text` of at most `max_bytes` bytes that ends on a character boundary.
std::string_view CutGbk(std::string_view text, size_t max_bytes);

// GBK -> UTF-16 of at most `max_chars` units (cut after conversion).
std::u16string WideOfGbk(std::string_view text, size_t max_chars);
// The same appended to `out`, for many short texts kept back to back; answers the units added.
size_t AppendWideOfGbk(std::u16string& out, std::string_view text, size_t max_chars);

// Byte-wise equality with the letters A-Z folded to a-z (trail bytes included, as the
// terminal compares).
bool EqualsFoldingAsciiCase(std::string_view a, std::string_view b);
bool EqualsFoldingAsciiCase(std::u16string_view a, std::u16string_view b);

// Unsigned byte order, as the terminal sorts codes.
int CompareBytes(std::string_view a, std::string_view b);

}  // namespace orra
