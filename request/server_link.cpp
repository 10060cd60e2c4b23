#include "request/server_link.h"

namespace orra {

bool ServerLink::Start(std::string* error) {
  ConnectionHandlers handlers;
  handlers.completion = [this](TopicId topic, uint32_t code, SharedBlock body) {
    requests_.OnReply(topic, code, std::move(body));
  };
  handlers.dropped = [this](TopicId topic, uint32_t) { requests_.OnJobDropped(topic); };
  if (!thread_.Start(connection_, std::move(handlers))) {
    if (error != nullptr) *error = "the connection thread could not be started";
    return false;
  }
  return true;
}

}  // namespace orra
