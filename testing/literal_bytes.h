#pragma once
// Test literals in the forms the terminal's files hold them: GBK text and raw bytes.

#include <cstdint>
#include <string>
#include <vector>

#include "common/text_conversion.h"
#include "common/utf8.h"

namespace orra::testing {

inline std::vector<uint8_t> BytesOf(const std::string& text) { return {text.begin(), text.end()}; }

// GBK of a UTF-8 literal.
inline std::string Gbk(const char* utf8) { return ToNarrowString(FromUtf8(utf8)); }

}  // namespace orra::testing
