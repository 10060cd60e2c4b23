#pragma once
// The traffic totals that the heartbeat reports: bytes received and sent (frame headers
// included) and frames received, over every connection of either mode that shares the
// counters (the add-in's environment holds one set for the process). Any thread; one lock
// guards all three.

#include <cstdint>
#include "common/mutex.h"

namespace orra {

struct TrafficTotals {
  uint64_t bytes_received = 0;
  uint64_t bytes_sent = 0;
  uint32_t frames_received = 0;
};

class TrafficCounters {
 public:
  TrafficCounters() = default;
  TrafficCounters(const TrafficCounters&) = delete;
  TrafficCounters& operator=(const TrafficCounters&) = delete;

  void AddSent(uint64_t bytes);
  void AddReceived(uint64_t bytes, uint32_t frames);
  TrafficTotals Read() const;

 private:
  mutable Mutex mutex_;
  TrafficTotals totals_ ORRA_GUARDED_BY(mutex_);
};

}  // namespace orra
