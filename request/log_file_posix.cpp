#include <cstdio>

#include "common/utf8.h"
#include "request/log_file.h"

namespace orra {

FILE* OpenAppendStream(const std::u16string& path) { return std::fopen(ToUtf8(path).c_str(), "a"); }

}  // namespace orra
