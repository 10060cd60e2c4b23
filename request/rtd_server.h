#pragma once
// The RTD server's logic, behind the COM object Excel talks to: plain topic ids and UTF-16
// topic strings in, -1 or lists of topic ids out. All calls come on Excel's main thread.
//
// TimerWindow is the hidden window's behaviour: a timer (id 2322, every 2000 ms) on Excel's
// main thread whose every tick calls UpdateNotify on Excel's callback, so that Excel comes for
// the changed topics with RefreshData.

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "request/indicator_variable_source.h"
#include "request/login_check.h"
#include "request/requests_dictionary.h"

namespace orra {

// Excel's IRTDUpdateEvent, as the COM shell wraps it.
class RtdUpdateEvent {
 public:
  virtual ~RtdUpdateEvent() = default;
  virtual void UpdateNotify() = 0;
  // Two wrappers of the same Excel object answer the same identity.
  virtual const void* Identity() const = 0;
};

// Port: a periodic timer whose ticks arrive on Excel's main thread (a hidden window and
// SetTimer on Windows). Ticks are delivered by calling TimerWindow::OnTimer.
class MainThreadTimer {
 public:
  virtual ~MainThreadTimer() = default;
  virtual bool Start(uint32_t id, uint32_t period_ms) = 0;
  virtual void Stop(uint32_t id) = 0;
};

class TimerWindow {
 public:
  static constexpr uint32_t kTimerId = 2322;
  static constexpr uint32_t kPeriodMs = 2000;

  explicit TimerWindow(MainThreadTimer& timer) : timer_(timer) {}
  // Keeps `callback` unless it is the one held already; starts the timer.
  void Start(std::shared_ptr<RtdUpdateEvent> callback);
  // Stops the timer and lets the callback go.
  void Stop();
  // Every WM_TIMER, whatever its id.
  void OnTimer();
  bool HasCallback() const { return callback_ != nullptr; }

 private:
  MainThreadTimer& timer_;
  std::shared_ptr<RtdUpdateEvent> callback_;
};

class RtdServer {
 public:
  static constexpr int32_t kInitialValue = -1;

  // `variables` may be null (no store at hand): the topic parser then adds no variable.
  RtdServer(RequestsDictionary& requests, LoginChecker& login, TimerWindow& timer, IndicatorVariableSource* variables)
      : requests_(requests), login_(login), timer_(timer), variables_(variables) {}

  // Answers the result value (1).
  int32_t ServerStart(std::shared_ptr<RtdUpdateEvent> callback);
  // The value Excel is to show for the topic, or nullopt to leave Excel's value as it is.
  std::optional<int32_t> ConnectData(TopicId topic_id, const std::vector<std::u16string>& topics);
  // The topics to report, in topic-id order; each is the value of itself.
  std::vector<TopicId> RefreshData();
  void DisconnectData(TopicId topic_id);
  int32_t Heartbeat() const { return 1; }
  void ServerTerminate();

 private:
  RequestStatus RefusalStatus() const;

  RequestsDictionary& requests_;
  LoginChecker& login_;
  TimerWindow& timer_;
  IndicatorVariableSource* variables_;
};

}  // namespace orra
