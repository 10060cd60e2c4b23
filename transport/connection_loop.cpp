#include "transport/connection_loop.h"

#include "transport/message_code.h"

namespace orra {
ConnectionLoop::ConnectionLoop(FrameLink& link, JobQueue& queue, ConnectionHandlers handlers, Env& env)
    : link_(link), queue_(queue), handlers_(std::move(handlers)), env_(env) {}

bool ConnectionLoop::CheckDue() {
  if (check_forced_ || passes_since_check_ >= kPassesBetweenChecks) return true;
  ++passes_since_check_;
  return false;
}

int ConnectionLoop::Pass() {
  if (CheckDue()) {
    if (!link_.CheckConnection()) {
      check_forced_ = true;
      return kRetryWaitMs;
    }
    check_forced_ = false;
    passes_since_check_ = 0;
  }
  RequeueUnanswered();
  bool busy = false;
  if (auto frame = link_.ReceiveFrame()) busy = DispatchFrame(*frame);
  if (auto job = NextJob()) {
    SendJob(std::move(job));
    busy = true;
  }
  return busy ? 0 : kIdleWaitMs;
}

int ConnectionLoop::Recover() {
  link_.Close();
  check_forced_ = true;
  return kRetryWaitMs;
}

bool ConnectionLoop::DispatchFrame(const ReceivedFrame& frame) {
  // No push handler is installed: quote and notice pushes are dropped.
  if (MessageCode::IsPush(frame.header.code)) return true;
  unanswered_.Answered(frame.header.code, frame.header.context);
  SharedBlock body = PooledBlock::CopyOf(frame.body);
  if (handlers_.completion && body) handlers_.completion(TopicOfWireContext(frame.header.context), frame.header.code, std::move(body));
  return true;
}

std::unique_ptr<QueryJob> ConnectionLoop::NextJob() {
  if (auto job = queue_.PopHead()) return job;
  const int minute = env_.clock().LocalNow().minute;
  if (minute == last_heartbeat_minute_) return nullptr;
  last_heartbeat_minute_ = minute;
  return QueryJob::ForHeartbeat(env_.traffic().Read());
}

void ConnectionLoop::SendJob(std::unique_ptr<QueryJob> job) {
  std::optional<ReceivedFrame> reply;
  const PackedBody* packed = job->packed ? &*job->packed : nullptr;
  if (link_.SendFrame(job->message_code, job->bytes(), packed, WireContext(job->context), &reply)) {
    if (reply) {
      DispatchFrame(*reply);
    } else if (job->message_code == MessageCode::kQuery) {
      // A heartbeat's answer only echoes it; a query's is what a cell waits for.
      unanswered_.Add(std::move(job), env_.clock().SteadyMilliseconds());
    }
    return;
  }
  check_forced_ = true;
  Retry(std::move(job));
}

void ConnectionLoop::Retry(std::unique_ptr<QueryJob> job) {
  if (++job->attempts < kMaxAttempts) {
    queue_.PushHead(std::move(job));
  } else if (handlers_.dropped) {
    handlers_.dropped(job->context, job->message_code);
  }
}

void ConnectionLoop::RequeueUnanswered() {
  const uint64_t connection = link_.Connections();
  if (connection == connection_) return;
  connection_ = connection;
  auto jobs = unanswered_.TakeAll(env_.clock().SteadyMilliseconds());
  // Pushed newest first, so that the oldest ends at the head.
  for (auto job = jobs.rbegin(); job != jobs.rend(); ++job) Retry(std::move(*job));
}

}  // namespace orra
