#include "request/requests_dictionary.h"

#include <algorithm>
#include <string>

#include "common/ascii_text.h"
#include "common/block_pool.h"
#include "request/develop_log.h"
#include "transport/message_code.h"

namespace orra {
namespace {

std::u16string Number(int64_t value) { return WidenAscii(std::to_string(value)); }

void LogQueued(const tagRequest& r) {
  if (!CLogThread::Enabled()) return;
  auto code = r.parameters.find(u"@seccode@");
  CLogThread::Instance().Write(u"queued topic=" + Number(r.topic_id) + u" function=" + Number(r.function_id) +
                               u" indicator=" + r.IndicatorName() +
                               u" code=" + (code != r.parameters.end() ? code->second : u""));
}

void LogAnswered(TopicId topic, uint8_t status, size_t bytes, int64_t waited_ms) {
  if (!CLogThread::Enabled()) return;
  CLogThread::Instance().Write(u"answered topic=" + Number(topic) + u" status=" + Number(status) +
                               u" bytes=" + Number(static_cast<int64_t>(bytes)) + u" ms=" + Number(waited_ms));
}

void LogRefused(TopicId topic, uint8_t status) {
  if (!CLogThread::Enabled()) return;
  CLogThread::Instance().Write(u"refused topic=" + Number(topic) + u" status=" + Number(status));
}

}  // namespace

RequestsDictionary::RequestsDictionary(Env& env) : RequestsDictionary(env, Options()) {}

RequestsDictionary::RequestsDictionary(Env& env, Options options)
    : env_(env),
      batch_observer_(std::move(options.batch_observer)),
      answer_timeout_ms_(options.answer_timeout_ms) {}

RequestsDictionary::~RequestsDictionary() { StopWorker(); }

void RequestsDictionary::StartWorker(QueryPreparer& preparer) {
  if (worker_.joinable()) return;
  preparer_ = &preparer;
  running_.store(true, std::memory_order_release);
  worker_ = std::thread(&RequestsDictionary::RunWorker, this);
}

void RequestsDictionary::StopWorker() {
  if (!worker_.joinable()) return;
  running_.store(false, std::memory_order_release);
  wake_.Set();
  // Never detached: a worker let go would go on preparing into a store and a queue that their
  // owner frees next.
  worker_.join();
  SpinLockGuard guard(pending_lock_);
  std::vector<TopicId>().swap(pending_);
  taken_ = 0;
}

bool RequestsDictionary::Contains(TopicId topic_id) const {
  MutexLock lock(mutex_);
  return records_.count(topic_id) != 0;
}

std::optional<tagRequest> RequestsDictionary::Find(TopicId topic_id) const {
  MutexLock lock(mutex_);
  auto it = records_.find(topic_id);
  if (it == records_.end()) return std::nullopt;
  return it->second.record;
}

bool RequestsDictionary::Visit(TopicId topic_id, const std::function<void(const tagRequest&)>& visit) const {
  MutexLock lock(mutex_);
  auto it = records_.find(topic_id);
  if (it == records_.end()) return false;
  visit(it->second.record);
  return true;
}

bool RequestsDictionary::KeepShown(TopicId topic_id, const SharedBlock& rendered_from,
                                   std::shared_ptr<const ShownAnswer> shown) {
  MutexLock lock(mutex_);
  auto it = records_.find(topic_id);
  // The caller holds `rendered_from`, so no other block can have taken its address meanwhile.
  if (it == records_.end() || it->second.record.result != rendered_from) return false;
  it->second.record.shown = std::move(shown);
  return true;
}

size_t RequestsDictionary::Size() const {
  MutexLock lock(mutex_);
  return records_.size();
}

void RequestsDictionary::Store(tagRequest record) {
  const TopicId topic = record.topic_id;
  LogRefused(topic, record.status);
  MutexLock lock(mutex_);
  Entry& entry = records_.insert_or_assign(topic, Entry{std::move(record), NowMs()}).first->second;
  NoteChange(topic, entry);
  NoteWaiting(topic, entry);
}

void RequestsDictionary::Queue(tagRequest record) {
  const TopicId topic = record.topic_id;
  LogQueued(record);
  {
    MutexLock lock(mutex_);
    Entry& entry = records_.insert_or_assign(topic, Entry{std::move(record), NowMs()}).first->second;
    NoteWaiting(topic, entry);
  }
  AppendPending(topic);
}

bool RequestsDictionary::Requeue(TopicId topic_id) {
  {
    MutexLock lock(mutex_);
    auto it = records_.find(topic_id);
    if (it == records_.end()) return false;
    tagRequest& r = it->second.record;
    if (r.connected == 0 || r.delivered == 0) return false;
    r.delivered = 0;
    r.SetStatus(RequestStatus::kPending);
    it->second.queued_ms = NowMs();
    NoteWaiting(topic_id, it->second);
  }
  AppendPending(topic_id);
  return true;
}

void RequestsDictionary::MarkConnected(TopicId topic_id) {
  MutexLock lock(mutex_);
  auto it = records_.find(topic_id);
  if (it != records_.end()) it->second.record.connected = 1;
}

void RequestsDictionary::SetStatus(TopicId topic_id, RequestStatus status) {
  MutexLock lock(mutex_);
  auto it = records_.find(topic_id);
  if (it == records_.end()) return;
  it->second.record.SetStatus(status);
  NoteChange(topic_id, it->second);
}

void RequestsDictionary::Refuse(TopicId topic_id, RequestStatus status) {
  {
    MutexLock lock(mutex_);
    auto it = records_.find(topic_id);
    if (it == records_.end()) return;
    it->second.record.SetStatus(status);
    it->second.record.delivered = 0;
    NoteChange(topic_id, it->second);
  }
  LogRefused(topic_id, static_cast<uint8_t>(status));
}

void RequestsDictionary::Remove(TopicId topic_id) {
  SharedBlock released;  // freed after the lock is given back
  MutexLock lock(mutex_);
  auto it = records_.find(topic_id);
  if (it == records_.end()) return;
  released = std::move(it->second.record.result);
  records_.erase(it);
}

void RequestsDictionary::NoteChange(TopicId topic_id, Entry& entry) {
  if (entry.listed) return;
  entry.listed = true;
  changed_.push_back(topic_id);
}

void RequestsDictionary::NoteWaiting(TopicId topic_id, const Entry& entry) {
  if (entry.record.Status() == RequestStatus::kPending) waiting_.push_back({entry.queued_ms, topic_id});
}

void RequestsDictionary::TimeOutOverdue(int64_t now_ms) {
  // Stale entries at the front go whether overdue or not, so that a steady flow of answers
  // keeps the queue as short as what is really waiting.
  while (!waiting_.empty()) {
    const Waiting front = waiting_.front();
    auto it = records_.find(front.topic_id);
    const bool current = it != records_.end() && it->second.queued_ms == front.queued_ms &&
                         it->second.record.Status() == RequestStatus::kPending;
    if (current && now_ms - front.queued_ms <= answer_timeout_ms_) break;
    waiting_.pop_front();
    if (current) {
      it->second.record.SetStatus(RequestStatus::kTimedOut);
      NoteChange(front.topic_id, it->second);
    }
  }
}

std::vector<TopicId> RequestsDictionary::TakeChanged() {
  std::vector<TopicId> changed;
  const int64_t now = NowMs();
  MutexLock lock(mutex_);
  TimeOutOverdue(now);
  changed.reserve(changed_.size());
  for (TopicId topic : changed_) {
    auto it = records_.find(topic);
    // Gone, or replaced by a record that was not listed (a later listing of it comes again).
    if (it == records_.end() || !it->second.listed) continue;
    it->second.listed = false;
    tagRequest& r = it->second.record;
    if (r.delivered == 0 && r.status != 0) {
      r.delivered = 1;
      changed.push_back(topic);
    }
  }
  changed_.clear();
  if (!std::is_sorted(changed.begin(), changed.end())) std::sort(changed.begin(), changed.end());
  return changed;
}

void RequestsDictionary::ClearDeliveredFlags() {
  MutexLock lock(mutex_);
  for (auto& [topic, entry] : records_) {
    entry.record.delivered = 0;
    NoteChange(topic, entry);
  }
}

std::vector<std::pair<TopicId, std::u16string>> RequestsDictionary::Callers() const {
  std::vector<std::pair<TopicId, std::u16string>> callers;
  {
    MutexLock lock(mutex_);
    callers.reserve(records_.size());
    for (const auto& [topic, entry] : records_) callers.emplace_back(topic, entry.record.CallerAddress());
  }
  std::sort(callers.begin(), callers.end(),
            [](const auto& a, const auto& b) { return a.first < b.first; });
  return callers;
}

void RequestsDictionary::OnReply(TopicId context, uint32_t message_code, SharedBlock body) {
  if (message_code != MessageCode::kQuery) return;
  SharedBlock previous;  // released after the lock
  const size_t bytes = body ? body->size() : 0;
  int64_t waited = 0;
  {
    MutexLock lock(mutex_);
    auto it = records_.find(context);
    if (it == records_.end()) return;
    tagRequest& r = it->second.record;
    previous = std::move(r.result);
    r.result = std::move(body);
    r.SetStatus(RequestStatus::kAnswered);
    // A reply that comes after its request was reported as timed out (or a second reply)
    // must be reported again, or the cell would keep the old text.
    r.delivered = 0;
    NoteChange(context, it->second);
    waited = NowMs() - it->second.queued_ms;
  }
  LogAnswered(context, static_cast<uint8_t>(RequestStatus::kAnswered), bytes, waited);
}

void RequestsDictionary::OnJobDropped(TopicId context) {
  {
    MutexLock lock(mutex_);
    auto it = records_.find(context);
    if (it == records_.end() || it->second.record.Status() != RequestStatus::kPending) return;
    it->second.record.SetStatus(RequestStatus::kTimedOut);
    NoteChange(context, it->second);
  }
  LogRefused(context, static_cast<uint8_t>(RequestStatus::kTimedOut));
}

size_t RequestsDictionary::PendingCount() const {
  SpinLockGuard guard(pending_lock_);
  return pending_.size() - taken_;
}

void RequestsDictionary::AppendPending(TopicId topic_id) {
  bool was_empty = false;
  {
    SpinLockGuard guard(pending_lock_);
    was_empty = pending_.size() == taken_;
    pending_.push_back(topic_id);
  }
  // A list that held entries already has its wake-up coming: the worker takes them all, or
  // wakes itself again when a batch leaves some. So a burst of connects wakes it once.
  if (was_empty) wake_.Set();
}

std::vector<TopicId> RequestsDictionary::TakeBatch(bool& more_left) {
  SpinLockGuard guard(pending_lock_);
  const size_t remaining = pending_.size() - taken_;
  const size_t count = remaining <= kBatchSize ? remaining : kBatchSize;
  std::vector<TopicId> batch(pending_.begin() + static_cast<std::ptrdiff_t>(taken_),
                             pending_.begin() + static_cast<std::ptrdiff_t>(taken_ + count));
  taken_ += count;
  more_left = taken_ < pending_.size();
  if (!more_left) {
    // Drained: give the storage back.
    std::vector<TopicId>().swap(pending_);
    taken_ = 0;
  }
  return batch;
}

void RequestsDictionary::RunWorker() {
  const BufferPool::ThreadCacheScope cache_scope;
  try {
    while (running_.load(std::memory_order_acquire)) {
      wake_.Wait();
      if (!running_.load(std::memory_order_acquire)) break;
      bool more_left = false;
      const std::vector<TopicId> batch = TakeBatch(more_left);
      if (!batch.empty()) {
        if (batch_observer_) batch_observer_(batch.size());
        ProcessBatch(batch);
      }
      if (more_left) wake_.Set();
    }
  } catch (...) {
    env_.Debug(u"[RequestsDictionary] query worker stopped by an unexpected error\r\n");
  }
}

void RequestsDictionary::ProcessBatch(const std::vector<TopicId>& batch) {
  for (TopicId topic : batch) {
    if (!running_.load(std::memory_order_acquire)) return;
    try {
      PrepareAndPost(topic);
    } catch (...) {
      // One request's failure (say, memory for its document) must not stop the others.
      SetStatus(topic, RequestStatus::kTimedOut);
    }
  }
}

void RequestsDictionary::PrepareAndPost(TopicId topic_id) {
  std::optional<tagRequest> snapshot = Find(topic_id);
  if (!snapshot) return;  // disconnected meanwhile
  PreparedQuery prepared = preparer_->Prepare(*snapshot);
  {
    MutexLock lock(mutex_);
    auto it = records_.find(topic_id);
    if (it == records_.end()) return;
    tagRequest& r = it->second.record;
    switch (prepared.outcome) {
      case PreparedQuery::Outcome::kNoIndicator:
        r.SetStatus(RequestStatus::kNoIndicator);
        NoteChange(topic_id, it->second);
        return;
      case PreparedQuery::Outcome::kNoDescriptor:
        return;
      case PreparedQuery::Outcome::kReady:
        r.value_kind = prepared.value_kind;
        r.decimals = prepared.decimals;
        r.alignment = prepared.alignment;
        r.date_style = prepared.date_style;
        break;
    }
  }
  if (!prepared.post || !prepared.post()) SetStatus(topic_id, RequestStatus::kTimedOut);
}

}  // namespace orra
