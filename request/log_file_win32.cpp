#include <windows.h>
#include <share.h>

#include <cstdio>

#include "request/log_file.h"

namespace orra {

// Text mode, so "\n" reaches the file as "\r\n"; other writers are denied.
FILE* OpenAppendStream(const std::u16string& path) {
  return _wfsopen(reinterpret_cast<const wchar_t*>(path.c_str()), L"at", _SH_DENYWR);
}

}  // namespace orra
