#pragma once
// RequestsDictionary: every request the RTD server holds, by Excel's topic id, with the query
// worker that sends new and re-queued requests to the server.
//
// One mutex guards the map and every record in it; nothing outside the lock keeps a pointer
// to a record (callers get copies, or visit a record under the lock). The pending list holds
// topic ids under its own spin lock; an id no longer in the map when the worker takes it is
// skipped. Excel's main thread connects, refreshes and removes; the worker thread prepares
// and posts queries; the connection thread delivers replies (OnReply, OnJobDropped).
//
// Excel asks for the changed topics every two seconds over workbooks of hundreds of thousands
// of topics, so a refresh costs what changed, not what exists: every change of a record's
// status puts its id once on a changed list, and the requests waiting for an answer are kept
// in the order they were queued, so that finding the overdue ones stops at the first that is not.
// The records are hashed, not ordered, for the same reason: a record is a few hundred bytes,
// and a tree of a hundred thousand of them costs a cache miss per level of every lookup; what
// is reported in topic-id order is sorted when it is taken.

#include <atomic>
#include <cstdint>
#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <thread>
#include <unordered_map>
#include <vector>

#include "common/env.h"
#include "common/event.h"
#include "common/pooled_block.h"
#include "common/mutex.h"
#include "common/spin_lock.h"
#include "common/topic_id.h"
#include "request/query_preparer.h"
#include "request/request.h"

namespace orra {

class RequestsDictionary {
 public:
  static constexpr size_t kBatchSize = 5000;
  // A request still unanswered this long after it was queued is given up as timed out, so
  // that its cell says so and a refresh sends it again.
  static constexpr int64_t kAnswerTimeoutMs = 60000;

  struct Options {
    // Told the size of each batch the worker takes, on the worker thread (for tests and
    // benchmarks that watch the batching).
    std::function<void(size_t)> batch_observer;
    // The add-in keeps kAnswerTimeoutMs; a test that sends thousands of requests through a
    // loaded machine allows its slowest answer more.
    int64_t answer_timeout_ms = kAnswerTimeoutMs;
  };

  // Times requests out by the clock of `env`, which must outlive the dictionary.
  explicit RequestsDictionary(Env& env);
  RequestsDictionary(Env& env, Options options);
  ~RequestsDictionary();
  RequestsDictionary(const RequestsDictionary&) = delete;
  RequestsDictionary& operator=(const RequestsDictionary&) = delete;

  // Starts the query worker with the preparer it uses (kept alive by the caller until
  // StopWorker). A second start is ignored; a start after StopWorker runs a new worker.
  void StartWorker(QueryPreparer& preparer);
  // Clears the running flag, wakes the worker and joins it. The worker looks at the flag before
  // every request it prepares, so this waits for at most one Prepare and its post; once it
  // returns, the preparer (and the queue it posts to) is no longer touched and may be freed.
  // The pending list is emptied; the records stay.
  void StopWorker();

  bool Contains(TopicId topic_id) const;
  // A copy of the record (its result block shared), or nullopt.
  std::optional<tagRequest> Find(TopicId topic_id) const;
  // Calls `visit` with the record under the lock; false when there is none. `visit` must not
  // call back into the dictionary or into Excel.
  bool Visit(TopicId topic_id, const std::function<void(const tagRequest&)>& visit) const;
  size_t Size() const;
  // Keeps what the calling cell shows of the record's answer `rendered_from`; false, keeping
  // nothing, when the record went or its answer was replaced since.
  bool KeepShown(TopicId topic_id, const SharedBlock& rendered_from, std::shared_ptr<const ShownAnswer> shown);

  // Stores the record as it is (a request refused at connection).
  void Store(tagRequest record);
  // Stores the record and puts it on the pending list.
  void Queue(tagRequest record);
  // Queues an answered or refused record again: only when Excel still holds it and its status
  // has been reported. True when it was queued.
  bool Requeue(TopicId topic_id);
  // Excel connected a topic it already had.
  void MarkConnected(TopicId topic_id);
  void SetStatus(TopicId topic_id, RequestStatus status);
  // A reconnected topic failed the login check: the new status is reported by the next
  // TakeChanged even when the old one had been.
  void Refuse(TopicId topic_id, RequestStatus status);
  // Excel let the topic go: the record and its result go.
  void Remove(TopicId topic_id);

  // The topics whose status changed since they were last reported, in topic-id order, each
  // marked as reported. Requests that have waited too long for their answer time out first.
  std::vector<TopicId> TakeChanged();
  // Every record is reported again by the next TakeChanged (after a table was written).
  void ClearDeliveredFlags();
  // Topic ids and caller addresses of every record, in topic-id order (for the refresh
  // commands, which ask Excel about each address without holding the lock).
  std::vector<std::pair<TopicId, std::u16string>> Callers() const;

  // Completion handler of the server connection (connection thread).
  void OnReply(TopicId context, uint32_t message_code, SharedBlock body);
  // The connection thread gave up on the job of this request.
  void OnJobDropped(TopicId context);

  // Entries waiting on the pending list (for tests and diagnostics).
  size_t PendingCount() const;

 private:
  struct Entry {
    tagRequest record;
    int64_t queued_ms = 0;  // when the record last went on the pending list
    bool listed = false;    // its id is on changed_ and not yet taken
  };
  // A request that went on the pending list at `queued_ms`; stale once the record was
  // answered, removed or queued again later.
  struct Waiting {
    int64_t queued_ms;
    TopicId topic_id;
  };

  void AppendPending(TopicId topic_id);
  void RunWorker();
  void ProcessBatch(const std::vector<TopicId>& batch);
  void PrepareAndPost(TopicId topic_id);
  std::vector<TopicId> TakeBatch(bool& more_left);
  void TimeOutOverdue(int64_t now_ms) ORRA_REQUIRES(mutex_);
  // Puts the record's id on the changed list unless it is there already.
  void NoteChange(TopicId topic_id, Entry& entry) ORRA_REQUIRES(mutex_);
  void NoteWaiting(TopicId topic_id, const Entry& entry) ORRA_REQUIRES(mutex_);
  int64_t NowMs() const { return env_.clock().SteadyMilliseconds(); }

  Env& env_;
  const std::function<void(size_t)> batch_observer_;
  const int64_t answer_timeout_ms_;
  mutable Mutex mutex_;
  std::unordered_map<TopicId, Entry> records_ ORRA_GUARDED_BY(mutex_);
  // Ids of records whose status or delivered flag changed since the last TakeChanged; an id
  // whose record went (or was replaced) is skipped there.
  std::vector<TopicId> changed_ ORRA_GUARDED_BY(mutex_);
  // Pending requests in the order they were queued (the steady clock's order).
  std::deque<Waiting> waiting_ ORRA_GUARDED_BY(mutex_);

  mutable SpinLock pending_lock_;
  std::vector<TopicId> pending_ ORRA_GUARDED_BY(pending_lock_);
  size_t taken_ ORRA_GUARDED_BY(pending_lock_) = 0;

  Event wake_{Event::Reset::kAuto};
  std::atomic<bool> running_{false};
  std::thread worker_;
  QueryPreparer* preparer_ = nullptr;  // set before the worker starts
};

}  // namespace orra
