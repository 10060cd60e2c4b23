#pragma once
// The request pipeline assembled: the login check over the terminal's block and the local
// data store, the RTD server logic, the query worker with its preparer, and the server
// connection with its thread, its completion handler delivering replies to the request
// dictionary. The add-in object holds one for the process; `orra sheet` and the end-to-end
// tests hold their own.
//
// Construct, Start and Stop on one thread (Excel's main thread in the add-in).

#include <memory>
#include <string>

#include "request/login_check.h"
#include "request/recent_login_check.h"
#include "request/requests_dictionary.h"
#include "request/rtd_server.h"
#include "request/server_query_preparer.h"
#include "request/store_indicator_variables.h"
#include "request/store_login.h"
#include "store/orra_data.h"
#include "transport/connection_profile.h"
#include "transport/connection_thread.h"
#include "transport/job_queue.h"
#include "transport/server_connection.h"

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
  ~RequestPipeline();
  RequestPipeline(const RequestPipeline&) = delete;
  RequestPipeline& operator=(const RequestPipeline&) = delete;

  // Starts the query worker and the connection thread. False (with a reason) when the thread
  // cannot be started; a server that does not answer yet is not a failure (the thread keeps
  // trying).
  bool Start(std::string* error);
  void Stop();

  RtdServer& rtd() { return rtd_; }
  TimerWindow& timer_window() { return timer_window_; }
  LoginCheck& login() { return login_; }
  RequestsDictionary& requests() { return requests_; }
  ServerConnection& connection() { return connection_; }

 private:
  RequestsDictionary& requests_;
  std::unique_ptr<LoginBlockReader> block_reader_;
  StoreLogin store_login_;
  StoreIndicatorVariables variables_;
  LoginCheck login_;
  RecentLoginCheck connect_login_;  // what ConnectData checks; the ribbon uses login_
  ServerQueryPreparer preparer_;
  TimerWindow timer_window_;
  RtdServer rtd_;
  ServerConnection connection_;
  ConnectionThread connection_thread_;
};

}  // namespace orra
