#include <cstdio>
#include <string>

#include "common/platform_debug.h"
#include "common/utf8.h"

namespace orra::platform {

void WriteDebugText(std::u16string_view text) {
  const std::string utf8 = ToUtf8(text);
  std::fwrite(utf8.data(), 1, utf8.size(), stderr);
}

}  // namespace orra::platform
