#pragma once
// The request pipeline assembled for a program that plays Excel itself: the request service
// (login check, query worker, server link) and one RTD session over it with its timer.
// `orra sheet`, the end-to-end tests and the benchmarks hold one; the add-in holds the
// service in its runtime instead, and its RTD object builds the same RtdSession.
//
// Construct, Start and Stop on one thread.

#include <string>

#include "request/login_check.h"
#include "request/request_service.h"
#include "request/requests_dictionary.h"
#include "request/rtd_server.h"
#include "request/rtd_session.h"
#include "store/orra_data.h"
#include "transport/connection_profile.h"
#include "transport/job_queue.h"

namespace orra {

class RequestPipeline {
 public:
  struct Options {
    ConnectionProfile profile = ConnectionProfile::AddinFromEnvironment();
    std::string login_block_name = kLoginBlockName;
  };

  // `env` and the objects handed in must outlive the pipeline.
  RequestPipeline(Env& env, COrraData& store, RequestsDictionary& requests, JobQueue& queue, MainThreadTimer& timer,
                  Options options);
  ~RequestPipeline() { Stop(); }
  RequestPipeline(const RequestPipeline&) = delete;
  RequestPipeline& operator=(const RequestPipeline&) = delete;

  // Starts the query worker and connects with the profile of the options. False (with a
  // reason) when the connection thread cannot be started.
  bool Start(std::string* error);
  void Stop() { service_.Stop(); }

  RtdServer& rtd() { return session_.rtd(); }
  TimerWindow& timer_window() { return session_.timer_window(); }
  LoginCheck& login() { return service_.login(); }
  RequestsDictionary& requests() { return requests_; }

 private:
  RequestsDictionary& requests_;
  const ConnectionProfile profile_;
  RequestService service_;
  RtdSession session_;
};

}  // namespace orra
