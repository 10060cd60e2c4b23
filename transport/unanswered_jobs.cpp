#include "transport/unanswered_jobs.h"

#include <algorithm>

#include "common/topic_id.h"

namespace orra {

void UnansweredJobs::Add(std::unique_ptr<QueryJob> job, int64_t now_ms) {
  ForgetExpired(now_ms);
  if (job) jobs_.push_back({std::move(job), now_ms});
}

void UnansweredJobs::Answered(uint32_t code, uint32_t context) {
  const auto match = std::find_if(jobs_.begin(), jobs_.end(), [&](const SentJob& sent) {
    return sent.job->message_code == code && WireContext(sent.job->context) == context;
  });
  if (match != jobs_.end()) jobs_.erase(match);
}

std::vector<std::unique_ptr<QueryJob>> UnansweredJobs::TakeAll(int64_t now_ms) {
  ForgetExpired(now_ms);
  std::vector<std::unique_ptr<QueryJob>> taken;
  taken.reserve(jobs_.size());
  for (auto& sent : jobs_) taken.push_back(std::move(sent.job));
  jobs_.clear();
  return taken;
}

void UnansweredJobs::ForgetExpired(int64_t now_ms) {
  // Jobs are added in the order they were sent, so the expired ones are at the front.
  while (!jobs_.empty() && now_ms - jobs_.front().sent_ms >= kAnswerWaitMs) jobs_.pop_front();
}

}  // namespace orra
