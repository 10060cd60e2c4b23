#include "addin/addin_runtime.h"

#include "request/develop_log.h"

namespace orra {

AddinRuntime::AddinRuntime(Env& env, Options options)
    : env_(env),
      module_directory_(std::move(options.module_directory)),
      profile_(std::move(options.profile)),
      store_(env),
      requests_(env),
      service_(env, store_, requests_, jobs_, options.login_block_name) {
  service_.StartWorker();
}

AddinRuntime::~AddinRuntime() {
  service_.Stop();
  // The log stamps its lines by this runtime's clock and switched this runtime's messages.
  CLogThread::Instance().Stop();
}

bool AddinRuntime::Connect(std::string* error) {
  return service_.Connect(profile_(), error);
}

void AddinRuntime::Disconnect() {
  service_.Disconnect();
  CLogThread::Instance().Stop();
}

}  // namespace orra
