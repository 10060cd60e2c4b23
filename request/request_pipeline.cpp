#include "request/request_pipeline.h"

#include "request/develop_log.h"

namespace orra {

RequestPipeline::RequestPipeline(Env& env, COrraData& store, RequestsDictionary& requests, JobQueue& queue,
                                 MainThreadTimer& timer, Options options)
    : requests_(requests),
      block_reader_(MakeLoginBlockReader(options.login_block_name)),
      store_login_(store),
      variables_(store),
      login_(*block_reader_, store_login_),
      connect_login_(login_, env.clock()),
      preparer_(store, queue),
      timer_window_(timer),
      rtd_(requests, connect_login_, timer_window_, &variables_),
      connection_(options.profile, env),
      connection_thread_(env, queue) {}

RequestPipeline::~RequestPipeline() { Stop(); }

bool RequestPipeline::Start(std::string* error) {
  requests_.StartWorker(preparer_);
  ConnectionHandlers handlers;
  handlers.completion = [this](TopicId topic, uint32_t code, SharedBlock body) {
    requests_.OnReply(topic, code, std::move(body));
  };
  handlers.dropped = [this](TopicId topic, uint32_t) { requests_.OnJobDropped(topic); };
  if (!connection_thread_.Start(connection_, std::move(handlers))) {
    if (error != nullptr) *error = "the connection thread could not be started";
    return false;
  }
  return true;
}

void RequestPipeline::Stop() {
  connection_thread_.Stop();
  requests_.StopWorker();
}

}  // namespace orra
