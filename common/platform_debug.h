#pragma once
// Port: where debugger output goes on this platform.

#include <string_view>

namespace orra::platform {
void WriteDebugText(std::u16string_view text);
}
