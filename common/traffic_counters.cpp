#include "common/traffic_counters.h"

namespace orra {

void TrafficCounters::AddSent(uint64_t bytes) {
  MutexLock lock(mutex_);
  totals_.bytes_sent += bytes;
}

void TrafficCounters::AddReceived(uint64_t bytes, uint32_t frames) {
  MutexLock lock(mutex_);
  totals_.bytes_received += bytes;
  totals_.frames_received += frames;
}

TrafficTotals TrafficCounters::Read() const {
  MutexLock lock(mutex_);
  return totals_;
}

}  // namespace orra
