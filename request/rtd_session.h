#pragma once
// RtdSession: what one object serving RTD holds over the process's request service: its own
// timer window (over the timer port it is given), the login check ConnectData runs (one check
// reused for a burst of topics, RecentLoginCheck), and the RtdServer logic over both. Excel
// creates one RTD object per session; `orra sheet` and the tests play that object with a
// RequestPipeline.
//
// Excel's main thread only, like the RtdServer it holds.

#include "common/env.h"
#include "request/recent_login_check.h"
#include "request/request_service.h"
#include "request/requests_dictionary.h"
#include "request/rtd_server.h"

namespace orra {

class RtdSession {
 public:
  // The objects handed in must outlive the session.
  RtdSession(Env& env, RequestService& service, RequestsDictionary& requests, MainThreadTimer& timer)
      : connect_login_(service.login(), env.clock()),
        timer_window_(timer),
        rtd_(requests, connect_login_, timer_window_, &service.variables()) {}
  RtdSession(const RtdSession&) = delete;
  RtdSession& operator=(const RtdSession&) = delete;

  RtdServer& rtd() { return rtd_; }
  TimerWindow& timer_window() { return timer_window_; }

 private:
  RecentLoginCheck connect_login_;  // the ribbon's commands check afresh through service.login()
  TimerWindow timer_window_;
  RtdServer rtd_;
};

}  // namespace orra
