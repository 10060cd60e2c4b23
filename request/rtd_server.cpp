#include "request/rtd_server.h"

#include "request/topic_parser.h"

namespace orra {

void TimerWindow::Start(std::shared_ptr<RtdUpdateEvent> callback) {
  if (callback && (!callback_ || callback_->Identity() != callback->Identity())) callback_ = std::move(callback);
  timer_.Start(kTimerId, kPeriodMs);
}

void TimerWindow::Stop() {
  timer_.Stop(kTimerId);
  std::shared_ptr<RtdUpdateEvent> released = std::move(callback_);
  callback_.reset();
}

void TimerWindow::OnTimer() {
  if (callback_) callback_->UpdateNotify();
}

int32_t RtdServer::ServerStart(std::shared_ptr<RtdUpdateEvent> callback) {
  timer_.Start(std::move(callback));
  return 1;
}

RequestStatus RtdServer::RefusalStatus() const {
  return login_.State() == LoginState::kNoPermission ? RequestStatus::kNoPermission : RequestStatus::kNotLoggedIn;
}

std::optional<int32_t> RtdServer::ConnectData(TopicId topic_id, const std::vector<std::u16string>& topics) {
  if (requests_.Contains(topic_id)) {
    if (login_.Check()) {
      requests_.MarkConnected(topic_id);
      return kInitialValue;
    }
    requests_.Refuse(topic_id, RefusalStatus());
    return std::nullopt;
  }

  tagRequest record(topic_id);
  if (!ParseTopics(topics, record, nullptr)) return kInitialValue;
  const bool logged_in = login_.Check();
  // The check loads the store on the first request, so the indicator's own variable is looked
  // for after it: before, an empty store would leave the first requests without it.
  if (logged_in && variables_ != nullptr && record.function_id == 0) {
    AddIndicatorVariable(*variables_, record.IndicatorName());
  }
  if (logged_in) {
    requests_.Queue(std::move(record));
  } else {
    record.SetStatus(RefusalStatus());
    requests_.Store(std::move(record));
  }
  return kInitialValue;
}

std::vector<TopicId> RtdServer::RefreshData() { return requests_.TakeChanged(); }

void RtdServer::DisconnectData(TopicId topic_id) { requests_.Remove(topic_id); }

void RtdServer::ServerTerminate() { timer_.Stop(); }

}  // namespace orra
