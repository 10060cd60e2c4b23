#pragma once
// UTF-8 <-> UTF-16, for what leaves the system as UTF-8: file names on Linux, JSON from the
// diagnostics command, standard error. Ill-formed input becomes U+FFFD; nothing throws but
// std::bad_alloc.

#include <string>
#include <string_view>

namespace orra {

std::string ToUtf8(std::u16string_view text);
std::u16string FromUtf8(std::string_view text);

}  // namespace orra
