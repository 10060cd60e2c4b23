#include "transport/job_queue.h"

namespace orra {

void JobQueue::PushTail(std::unique_ptr<QueryJob> job) {
  if (!job) return;
  MutexLock lock(mutex_);
  jobs_.push_back(std::move(job));
}

void JobQueue::PushHead(std::unique_ptr<QueryJob> job) {
  if (!job) return;
  MutexLock lock(mutex_);
  jobs_.push_front(std::move(job));
}

std::unique_ptr<QueryJob> JobQueue::PopHead() {
  MutexLock lock(mutex_);
  if (jobs_.empty()) return nullptr;
  auto job = std::move(jobs_.front());
  jobs_.pop_front();
  return job;
}

void JobQueue::ReleaseAll() {
  std::deque<std::unique_ptr<QueryJob>> released;
  {
    MutexLock lock(mutex_);
    released.swap(jobs_);
  }
}

size_t JobQueue::Size() const {
  MutexLock lock(mutex_);
  return jobs_.size();
}

}  // namespace orra
