#include "transport/connection_thread.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <stdexcept>
#include <thread>

#include "testing/test_env.h"
#include "transport/query_document.h"

namespace orra {
namespace {

// A link that is always connected and sends everything, throwing from the first `throws` sends.
class CountingLink : public FrameLink {
 public:
  bool CheckConnection() override {
    ++checks;
    return connectable.load();
  }
  std::optional<ReceivedFrame> ReceiveFrame() override { return std::nullopt; }
  bool SendFrame(uint32_t code, std::span<const uint8_t>, const PackedBody*, uint32_t,
                 std::optional<ReceivedFrame>*) override {
    if (throws.load() > 0) {
      --throws;
      throw std::runtime_error("socket layer surprised");
    }
    if (code != 0x10001) ++queries_sent;
    return true;
  }
  void Close() override { ++closes; }
  void Interrupt() override {}
  uint64_t Connections() const override { return 1; }

  std::atomic<bool> connectable{true};
  std::atomic<int> throws{0};
  std::atomic<int> checks{0};
  std::atomic<int> closes{0};
  std::atomic<int> queries_sent{0};
};

std::unique_ptr<QueryJob> Query(uint64_t context) {
  dozodavu_netcfg document;
  document.SetVersion();
  return QueryJob::ForQuery(context, u"xdbr", document);
}

bool WaitFor(const std::function<bool()>& done) {
  for (int i = 0; i < 2000 && !done(); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(5));
  return done();
}

TEST(ConnectionThread, AnErrorInsideAPassClosesTheLinkAndTheLoopGoesOn) {
  CountingLink link;
  link.throws = 1;
  JobQueue queue;
  testing::TestEnv env;
  ConnectionThread thread(env, queue);
  queue.PushTail(Query(1));
  ASSERT_TRUE(thread.Start(link, {}));
  ASSERT_TRUE(WaitFor([&] { return link.closes.load() == 1; }));
  queue.PushTail(Query(2));
  ASSERT_TRUE(WaitFor([&] { return link.queries_sent.load() >= 1; })) << "the thread ended with the error";
  EXPECT_TRUE(thread.IsRunning());
  thread.Stop();
  EXPECT_FALSE(thread.IsRunning());
  EXPECT_EQ(env.DebugText(), u"[ConnectionThread] pass failed: socket layer surprised; reconnecting\r\n");
}

TEST(ConnectionThread, StoppingReleasesQueuedJobsAndNothingIsSentAfterwards) {
  CountingLink link;
  link.connectable = false;
  JobQueue queue;
  testing::TestEnv env;
  ConnectionThread thread(env, queue);
  ASSERT_TRUE(thread.Start(link, {}));
  for (int i = 0; i < 5; ++i) queue.PushTail(Query(static_cast<uint64_t>(i)));
  ASSERT_TRUE(WaitFor([&] { return link.checks.load() >= 1; }));
  EXPECT_FALSE(thread.Start(link, {}));  // already running
  thread.Stop();
  EXPECT_EQ(queue.Size(), 0u);
  EXPECT_EQ(link.queries_sent.load(), 0);
  // A stopped thread can be started again.
  link.connectable = true;
  queue.PushTail(Query(9));
  ASSERT_TRUE(thread.Start(link, {}));
  ASSERT_TRUE(WaitFor([&] { return link.queries_sent.load() == 1; }));
  thread.Stop();
}

}  // namespace
}  // namespace orra
