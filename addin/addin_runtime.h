#pragma once
// AddinRuntime: the add-in's process-wide objects, built when Excel opens its first door to
// the DLL and stopped when it closes the last, always outside the loader lock: the local data
// store, the request dictionary with its query worker, the job queue, the cell message table,
// the login check and the query preparer (the request service). Between Connect and
// Disconnect (OnConnection and OnDisconnection of the COM add-in) it also holds the server
// link: the server connection with the add-in's profile and its connection thread.
//
// The doors build the rest over it: the RTD object its RtdServer and timer window (over
// service().login(), service().variables() and requests()), the array writer and the
// user-interface thread on OnConnection.
//
// Every call comes on Excel's main thread, but for the destructor: it runs where the last
// holder lets go, which is the user-interface thread when that thread ends after every door.

#include <functional>
#include <string>

#include "common/env.h"
#include "request/cell_messages.h"
#include "request/login_block.h"
#include "request/request_service.h"
#include "request/requests_dictionary.h"
#include "store/orra_data.h"
#include "transport/connection_profile.h"
#include "transport/job_queue.h"

namespace orra {

class AddinRuntime {
 public:
  struct Options {
    // Where the DLL lives (with its trailing separator): developer mode's log goes there.
    std::u16string module_directory;
    std::string login_block_name = kLoginBlockName;
    // The profile a connection uses, made when Excel connects the add-in: the default host
    // and port, with ORRA_SERVER's override read at that moment.
    std::function<ConnectionProfile()> profile = &ConnectionProfile::AddinFromEnvironment;
  };

  // Builds everything and starts the query worker. `env` must outlive the runtime.
  AddinRuntime(Env& env, Options options);
  // Disconnects, stops the query worker and developer mode's log, in that order: each of
  // them uses what the ones before it fill.
  ~AddinRuntime();
  AddinRuntime(const AddinRuntime&) = delete;
  AddinRuntime& operator=(const AddinRuntime&) = delete;

  // OnConnection's server steps: a fresh server link with the add-in's profile, its thread
  // started. A link left from an earlier connection is stopped first. False (with a reason)
  // when the thread cannot be started; Excel's connection goes on without one, and the
  // requests' jobs wait in the queue.
  bool Connect(std::string* error);
  // OnDisconnection's steps: the connection thread stops (the jobs still queued are
  // released) and developer mode's log ends. The store, the dictionary and its worker stay.
  void Disconnect();
  bool Connected() const { return service_.Connected(); }

  Env& env() { return env_; }
  const std::u16string& module_directory() const { return module_directory_; }
  COrraData& store() { return store_; }
  RequestsDictionary& requests() { return requests_; }
  JobQueue& jobs() { return jobs_; }
  CellMessageTable& messages() { return messages_; }
  RequestService& service() { return service_; }

 private:
  Env& env_;
  const std::u16string module_directory_;
  const std::function<ConnectionProfile()> profile_;
  COrraData store_;
  CellMessageTable messages_;
  RequestsDictionary requests_;
  JobQueue jobs_;
  RequestService service_;
};

}  // namespace orra
