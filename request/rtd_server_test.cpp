#include "request/rtd_server.h"

#include <gtest/gtest.h>

#include "testing/request_doubles.h"
#include "testing/test_env.h"

namespace orra {
namespace {
using namespace orra::testing;

const std::vector<std::u16string> kClose = {u"'[Book1.xlsx]Sheet1'!B2", u"0", u"600000", u"close"};

class RtdServerTest : public ::testing::Test {
 protected:
  void TearDown() override { requests.StopWorker(); }

  CountingTimer timer;
  TimerWindow window{timer};
  ScriptedLogin login;
  testing::TestEnv env;
  RequestsDictionary requests{env};
  RtdServer server{requests, login, window, nullptr};
};

TEST_F(RtdServerTest, TopicsThatParseToNothingAreNeverStoredOrReported) {
  EXPECT_EQ(server.ConnectData(1, {u"'[Book1.xlsx]Sheet1'!B2", u"40"}), -1);
  EXPECT_EQ(server.ConnectData(2, {u"x"}), -1);
  EXPECT_EQ(requests.Size(), 0u);
  EXPECT_TRUE(server.RefreshData().empty());
}

TEST_F(RtdServerTest, RefusedRequestIsReportedOnceWithItsLoginStatus) {
  login.state = LoginState::kNotLoggedIn;
  EXPECT_EQ(server.ConnectData(7, kClose), -1);
  login.state = LoginState::kNoPermission;
  EXPECT_EQ(server.ConnectData(8, kClose), -1);
  EXPECT_EQ(requests.Find(7)->Status(), RequestStatus::kNotLoggedIn);
  EXPECT_EQ(requests.Find(8)->Status(), RequestStatus::kNoPermission);
  EXPECT_EQ(requests.PendingCount(), 0u) << "refused requests are not queued";
  EXPECT_EQ(server.RefreshData(), (std::vector<int32_t>{7, 8}));
  EXPECT_TRUE(server.RefreshData().empty());
}

TEST_F(RtdServerTest, AcceptedRequestIsQueuedAndAReconnectKeepsIt) {
  EXPECT_EQ(server.ConnectData(3, kClose), -1);
  EXPECT_EQ(requests.PendingCount(), 1u);
  EXPECT_EQ(requests.Find(3)->Status(), RequestStatus::kPending);

  tagRequest held = *requests.Find(3);
  held.connected = 0;
  requests.Store(held);
  EXPECT_EQ(server.ConnectData(3, {}), -1) << "a known topic is not parsed again";
  EXPECT_EQ(requests.Find(3)->connected, 1);

  login.state = LoginState::kNotLoggedIn;
  EXPECT_EQ(server.ConnectData(3, kClose), std::nullopt) << "Excel's value stays";
  EXPECT_EQ(requests.Find(3)->Status(), RequestStatus::kNotLoggedIn);
  EXPECT_EQ(server.RefreshData(), (std::vector<int32_t>{3}));
  server.DisconnectData(3);
  server.DisconnectData(99);
  EXPECT_EQ(requests.Size(), 0u);
}

TEST_F(RtdServerTest, TimerNotifiesTheCallbackEveryTickUntilTerminated) {
  std::atomic<int> notified{0};
  auto callback = std::make_shared<CountingUpdateEvent>(&notified);
  std::weak_ptr<CountingUpdateEvent> watch = callback;
  EXPECT_EQ(server.ServerStart(callback), 1);
  EXPECT_EQ(timer.started_id, 2322u);
  EXPECT_EQ(timer.period, 2000u);

  // The same Excel object again keeps the reference already held.
  auto same = std::make_shared<CountingUpdateEvent>(&notified, callback.get());
  server.ServerStart(same);
  same.reset();
  callback.reset();
  EXPECT_FALSE(watch.expired());

  window.OnTimer();
  window.OnTimer();
  EXPECT_EQ(notified, 2) << "every tick, changed or not";
  EXPECT_EQ(server.Heartbeat(), 1);
  server.ServerTerminate();
  EXPECT_FALSE(timer.running);
  EXPECT_TRUE(watch.expired()) << "the callback is released";
  window.OnTimer();
  EXPECT_EQ(notified, 2);
}

}  // namespace
}  // namespace orra
