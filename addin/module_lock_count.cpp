#include "addin/module_lock_count.h"

namespace orra {

void ModuleLockCount::DecrementAboveZero(std::atomic<int64_t>& count) {
  int64_t value = count.load(std::memory_order_acquire);
  while (value > 0 && !count.compare_exchange_weak(value, value - 1, std::memory_order_acq_rel)) {
  }
}

}  // namespace orra
