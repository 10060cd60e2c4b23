#include <windows.h>

#include <string>

#include "common/platform_debug.h"

namespace orra::platform {

void WriteDebugText(std::u16string_view text) {
  std::wstring line(reinterpret_cast<const wchar_t*>(text.data()), text.size());
  OutputDebugStringW(line.c_str());
}

}  // namespace orra::platform
