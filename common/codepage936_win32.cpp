#include <windows.h>

#include <climits>

#include "common/codepage936.h"

namespace orra::platform {
namespace {
constexpr UINT kGbk = 936;
}

size_t GbkToUtf16(const char* source, size_t length, char16_t* destination, size_t room) {
  if (length == 0 || length > INT_MAX || room > INT_MAX) return 0;
  const int n = MultiByteToWideChar(kGbk, 0, source, static_cast<int>(length), reinterpret_cast<wchar_t*>(destination),
                                    static_cast<int>(room));
  return n > 0 ? static_cast<size_t>(n) : 0;
}

size_t Utf16ToGbk(const char16_t* source, size_t length, char* destination, size_t room) {
  if (length == 0 || length > INT_MAX || room > INT_MAX) return 0;
  const int n = WideCharToMultiByte(kGbk, 0, reinterpret_cast<const wchar_t*>(source), static_cast<int>(length),
                                    destination, static_cast<int>(room), nullptr, nullptr);
  return n > 0 ? static_cast<size_t>(n) : 0;
}

}  // namespace orra::platform
