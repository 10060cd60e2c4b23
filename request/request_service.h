#pragma once
// RequestService: what the requests need from the first door Excel opens until the add-in is
// unloaded: the login check over the terminal's block and the local data store, the store's
// variables for the topic parser, and the query worker with its preparer; and, between a
// connection and the next disconnection, the server link. The RTD server logic is not here:
// each object that serves RTD builds its own over login() and variables(), with its own timer.
//
// Construct, start, connect, disconnect, stop and destroy on one thread (Excel's main thread in
// the add-in).

#include <memory>
#include <string>

#include "request/login_check.h"
#include "request/requests_dictionary.h"
#include "request/server_link.h"
#include "request/server_query_preparer.h"
#include "request/store_indicator_variables.h"
#include "request/store_login.h"
#include "store/orra_data.h"
#include "transport/connection_profile.h"
#include "transport/job_queue.h"

namespace orra {

class RequestService {
 public:
  // `env` and the objects handed in must outlive the service.
  RequestService(Env& env, COrraData& store, RequestsDictionary& requests, JobQueue& queue,
                 const std::string& login_block_name);
  ~RequestService() { Stop(); }
  RequestService(const RequestService&) = delete;
  RequestService& operator=(const RequestService&) = delete;

  // Starts the query worker; its jobs wait in the queue until a link sends them.
  void StartWorker();
  // A fresh server link with `profile`, its thread started; a link held already is stopped and
  // freed first. False (with a reason) when the thread cannot be started, and no link is kept.
  bool Connect(const ConnectionProfile& profile, std::string* error);
  // Stops and frees the server link, if there is one.
  void Disconnect();
  bool Connected() const { return link_ != nullptr; }
  // Disconnects, then stops the worker: after it nothing runs that uses the store, the
  // dictionary or the queue.
  void Stop();

  LoginCheck& login() { return login_; }
  IndicatorVariableSource& variables() { return variables_; }

 private:
  Env& env_;
  RequestsDictionary& requests_;
  JobQueue& queue_;
  std::unique_ptr<LoginBlockReader> block_reader_;
  StoreLogin store_login_;
  StoreIndicatorVariables variables_;
  LoginCheck login_;
  ServerQueryPreparer preparer_;
  std::unique_ptr<ServerLink> link_;
};

}  // namespace orra
