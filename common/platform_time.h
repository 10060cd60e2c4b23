#pragma once
// Port: the local wall-clock time.

#include "common/clock.h"

namespace orra::platform {
LocalDateTime LocalTimeNow();
}
