#pragma once
// The jobs waiting for the connection thread, oldest first. The query worker pushes to the
// tail, the connection thread pops from the head and puts a job it must retry back at the
// head, and stopping the thread releases them all. The add-in's one queue belongs to its
// runtime. Any thread; one mutex guards the list.

#include <cstddef>
#include <deque>
#include <memory>

#include "common/mutex.h"
#include "transport/query_job.h"

namespace orra {

class JobQueue {
 public:
  void PushTail(std::unique_ptr<QueryJob> job);
  void PushHead(std::unique_ptr<QueryJob> job);
  // The oldest job, or null when there is none.
  std::unique_ptr<QueryJob> PopHead();
  void ReleaseAll();
  size_t Size() const;

 private:
  mutable Mutex mutex_;
  std::deque<std::unique_ptr<QueryJob>> jobs_ ORRA_GUARDED_BY(mutex_);
};

}  // namespace orra
