#pragma once
// One pass of the connection thread's loop, apart from the thread so that tests can drive it
// pass by pass with a fake link and a hand-moved clock. A pass keeps the link up (a check on
// the first pass, on every eleventh after a good check, and after any failure), hands at most
// one received frame to the completion handler, and sends at most one job: the oldest queued,
// or when none is queued and the wall-clock minute has changed, a heartbeat. A job that fails
// goes back to the head of the queue until it has failed four times; then it is dropped and
// the dropped-job handler is told. A query sent on a connection that is replaced before its
// answer came counts as failed too: it goes back to the head of the queue, ahead of the jobs
// not yet sent, when the link's next connection is seen.

#include <cstdint>
#include <functional>
#include <optional>

#include "common/env.h"
#include "common/pooled_block.h"
#include "common/topic_id.h"
#include "transport/frame_link.h"
#include "transport/job_queue.h"
#include "transport/unanswered_jobs.h"

namespace orra {

// Told each received frame that no push handler takes: the topic id its context carries, its
// code and a copy of its body, which the handler then owns. Runs on the connection thread.
using CompletionHandler = std::function<void(TopicId context, uint32_t code, SharedBlock body)>;
// Told the context and code of each job dropped after its last attempt. Runs on the
// connection thread.
using DroppedJobHandler = std::function<void(TopicId context, uint32_t code)>;

struct ConnectionHandlers {
  CompletionHandler completion;
  DroppedJobHandler dropped;
};

class ConnectionLoop {
 public:
  static constexpr int kMaxAttempts = 4;
  static constexpr int kIdleWaitMs = 10;
  static constexpr int kRetryWaitMs = 300;
  // Passes after a good check before the next one.
  static constexpr int kPassesBetweenChecks = 10;

  // The minute of the heartbeat comes from the Env's clock, its totals from its counters.
  ConnectionLoop(FrameLink& link, JobQueue& queue, ConnectionHandlers handlers, Env& env);

  // Runs one pass; answers how long to wait on the stop event before the next.
  int Pass();
  // After a pass failed unexpectedly: closes the link and checks it on the next pass.
  int Recover();

 private:
  bool CheckDue();
  bool DispatchFrame(const ReceivedFrame& frame);
  std::unique_ptr<QueryJob> NextJob();
  void SendJob(std::unique_ptr<QueryJob> job);
  // Puts the job back at the head of the queue, or drops it after its last attempt.
  void Retry(std::unique_ptr<QueryJob> job);
  // When the link has connected again since the unanswered queries went out, queues them again.
  void RequeueUnanswered();

  FrameLink& link_;
  JobQueue& queue_;
  ConnectionHandlers handlers_;
  Env& env_;
  bool check_forced_ = true;
  int passes_since_check_ = 0;
  std::optional<int> last_heartbeat_minute_;  // none before the first heartbeat
  uint64_t connection_ = 0;  // the link's connection that the unanswered queries went out on
  UnansweredJobs unanswered_;
};

}  // namespace orra
