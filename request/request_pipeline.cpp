#include "request/request_pipeline.h"

namespace orra {

RequestPipeline::RequestPipeline(Env& env, COrraData& store, RequestsDictionary& requests, JobQueue& queue,
                                 MainThreadTimer& timer, Options options)
    : requests_(requests),
      profile_(options.profile),
      service_(env, store, requests, queue, options.login_block_name),
      session_(env, service_, requests, timer) {}

bool RequestPipeline::Start(std::string* error) {
  service_.StartWorker();
  return service_.Connect(profile_, error);
}

}  // namespace orra
