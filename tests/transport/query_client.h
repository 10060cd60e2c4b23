#pragma once
// A ServerConnection driven by a real ConnectionThread, with the replies and dropped jobs it
// reports collected for the test to look at.

#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "common/text_conversion.h"
#include "common/topic_id.h"
#include "testing/test_env.h"
#include "transport/connection_thread.h"
#include "transport/query_document.h"
#include "transport/query_reply.h"
#include "transport/result_set.h"
#include "transport/server_connection.h"

namespace orra::testing {

class QueryClient {
 public:
  explicit QueryClient(const ConnectionProfile& profile) : connection_(profile, env_), thread_(env_, queue_) {}
  ~QueryClient() { thread_.Stop(); }

  bool Start() {
    ConnectionHandlers handlers;
    handlers.completion = [this](TopicId context, uint32_t code, SharedBlock body) {
      std::lock_guard lock(mutex_);
      replies_[context] = std::vector<uint8_t>(body->bytes().begin(), body->bytes().end());
    };
    handlers.dropped = [this](TopicId context, uint32_t) {
      std::lock_guard lock(mutex_);
      dropped_.push_back(context);
    };
    return thread_.Start(connection_, std::move(handlers));
  }
  void Stop() { thread_.Stop(); }

  // Posts a query for `path` with "@seccode@" = code.
  void Post(TopicId context, const std::u16string& path, const std::u16string& code) {
    dozodavu_netcfg document;
    document.SetVersion();
    int32_t i = document.PairCount();
    document.SetPair(i++, u"@seccode@", code);
    document.SetPair(i, u"@@UserName", u"tester");
    document.SetPairCount(i + 1);
    document.SetServicePath(path);
    queue_.PushTail(QueryJob::ForQuery(context, u"xdbr", document));
  }

  bool HasReply(TopicId context) {
    std::lock_guard lock(mutex_);
    return replies_.count(context) > 0;
  }
  // The first value of the reply's table as text, or the error text.
  std::u16string FirstText(TopicId context, int column = 1) {
    std::lock_guard lock(mutex_);
    const auto reply = ReadQueryReply(replies_.at(context));
    if (!reply) return u"<damaged>";
    if (reply->failed) return u"error: " + ToWideString(reply->error_text);
    ResultSet table;
    if (!table.Open(reply->table)) return u"<damaged table>";
    return table.Text(column);
  }
  std::vector<TopicId> dropped() {
    std::lock_guard lock(mutex_);
    return dropped_;
  }
  JobQueue& queue() { return queue_; }

 private:
  TestEnv env_;
  JobQueue queue_;
  ServerConnection connection_;
  ConnectionThread thread_;
  std::mutex mutex_;
  std::map<TopicId, std::vector<uint8_t>> replies_;  // guarded by mutex_
  std::vector<TopicId> dropped_;                      // guarded by mutex_
};

}  // namespace orra::testing
