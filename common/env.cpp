#include "common/env.h"

namespace orra {

void Env::DebugPrintf(const char* format, ...) const noexcept {
  va_list args;
  va_start(args, format);
  DebugVprintf(debug_, format, args);
  va_end(args);
}

}  // namespace orra
