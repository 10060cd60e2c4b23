#include "request/request_service.h"

namespace orra {

RequestService::RequestService(Env& env, COrraData& store, RequestsDictionary& requests, JobQueue& queue,
                               const std::string& login_block_name)
    : env_(env),
      requests_(requests),
      queue_(queue),
      block_reader_(MakeLoginBlockReader(login_block_name)),
      store_login_(store),
      variables_(store),
      login_(*block_reader_, store_login_),
      preparer_(store, queue) {}

void RequestService::StartWorker() { requests_.StartWorker(preparer_); }

bool RequestService::Connect(const ConnectionProfile& profile, std::string* error) {
  Disconnect();
  auto link = std::make_unique<ServerLink>(env_, profile, queue_, requests_);
  if (!link->Start(error)) return false;
  link_ = std::move(link);
  return true;
}

void RequestService::Disconnect() {
  if (!link_) return;
  link_->Stop();
  link_.reset();
}

void RequestService::Stop() {
  // The connection thread first: it delivers into the dictionary the worker fills.
  Disconnect();
  requests_.StopWorker();
}

}  // namespace orra
