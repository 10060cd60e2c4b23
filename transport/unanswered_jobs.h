#pragma once
// The query jobs sent on the current connection whose answers have not come yet, oldest first.
// They are kept so that a connection that breaks before answering costs a resend, not the
// request's whole wait: TakeAll hands them back for the head of the queue. What bounds the
// list is that an answer takes its job off (matched by code and the context that travelled
// with the frame), and a job older than a request's wait for its answer is let go, since its
// request has timed out by then. Only the connection thread touches it.

#include <cstdint>
#include <deque>
#include <memory>
#include <vector>

#include "transport/query_job.h"

namespace orra {

class UnansweredJobs {
 public:
  // As long as a request waits for its answer before it times out.
  static constexpr int64_t kAnswerWaitMs = 60000;

  // Keeps `job`, sent at now_ms, and lets go of those sent kAnswerWaitMs or more before it.
  void Add(std::unique_ptr<QueryJob> job, int64_t now_ms);
  // Forgets the oldest job of this code whose context travels as `context`; an answer that
  // matches none (a second answer, a heartbeat's) changes nothing.
  void Answered(uint32_t code, uint32_t context);
  // Takes the jobs still worth sending at now_ms, oldest first, and forgets the rest.
  std::vector<std::unique_ptr<QueryJob>> TakeAll(int64_t now_ms);
  size_t Size() const { return jobs_.size(); }

 private:
  struct SentJob {
    std::unique_ptr<QueryJob> job;
    int64_t sent_ms = 0;
  };
  void ForgetExpired(int64_t now_ms);

  std::deque<SentJob> jobs_;
};

}  // namespace orra
