// The uQuery mode against the stand-in server: login, request frames in HTTP posts on a kept
// socket, and a new login after the session expired.

#include <gtest/gtest.h>

#include "testing/test_env.h"
#include "tests/transport/query_client.h"
#include "tests/transport/sample_server.h"
#include "transport/message_code.h"

namespace orra::testing {
namespace {

TEST(UQueryExchange, LogsInAndExchangesFramesOnOneConnection) {
  SampleServer sample(/*uquery=*/true);
  ASSERT_TRUE(sample.ok());
  QueryClient client(sample.UQueryProfile());
  ASSERT_TRUE(client.Start());
  client.Post(11, u"stock/close", u"600000.SH");
  client.Post(12, u"demo/all-types", u"");
  ASSERT_TRUE(WaitUntil([&] { return client.HasReply(11) && client.HasReply(12); }));
  EXPECT_EQ(client.FirstText(11), u"10.52");
  EXPECT_EQ(client.FirstText(12, 10), u"2017-2-20 9:30:0.250");
  EXPECT_EQ(client.FirstText(12, 7), u"涨停");
  const auto stats = sample.server().stats();
  EXPECT_EQ(stats.logins, 1);
  EXPECT_EQ(stats.connections, 1);  // the socket is kept alive between requests
}

TEST(UQueryExchange, AnExpiredSessionLogsInAgainAndTheJobIsRetried) {
  SampleServer sample(true);
  ASSERT_TRUE(sample.ok());
  QueryClient client(sample.UQueryProfile());
  ASSERT_TRUE(client.Start());
  client.Post(1, u"stock/close", u"600000.SH");
  ASSERT_TRUE(WaitUntil([&] { return client.HasReply(1); }));
  sample.server().ExpireSessions();
  client.Post(2, u"stock/close", u"000001.SZ");
  ASSERT_TRUE(WaitUntil([&] { return client.HasReply(2); }));
  EXPECT_EQ(client.FirstText(2), u"12.3");
  EXPECT_EQ(sample.server().stats().logins, 2);
  EXPECT_TRUE(client.dropped().empty());
}

TEST(UQueryExchange, APollOfAnExpiredSessionSaysSo) {
  SampleServer sample(true);
  ASSERT_TRUE(sample.ok());
  ConnectionProfile profile = sample.UQueryProfile();
  TestEnv env;
  UQueryChannel channel(&profile, env);
  FrameCodec codec(env.traffic());
  std::optional<ReceivedFrame> frame;
  ASSERT_TRUE(channel.Login());
  EXPECT_EQ(channel.token().size(), 8u);
  EXPECT_EQ(channel.Poll(codec, &frame), UQueryChannel::PollResult::kNothing);
  sample.server().ExpireSessions();
  EXPECT_EQ(channel.Poll(codec, &frame), UQueryChannel::PollResult::kExpired);
  EXPECT_FALSE(channel.HasSession());
}

TEST(UQueryExchange, ADamagedReplyFrameFailsTheExchangeAndForgetsTheSession) {
  SampleServer sample(true);
  ASSERT_TRUE(sample.ok());
  sample.server().SetFault(server::Fault{server::Fault::Kind::kWrongLength, 0});
  ConnectionProfile profile = sample.UQueryProfile();
  TestEnv env;
  ServerConnection connection(profile, env);
  ASSERT_TRUE(connection.Connect());
  std::optional<ReceivedFrame> reply;
  const uint8_t body[200] = {};
  EXPECT_FALSE(connection.SendFrame(MessageCode::kQuery, body, nullptr, 5, &reply));
  EXPECT_FALSE(connection.uquery().HasSession());
  sample.server().SetFault({});
  EXPECT_TRUE(connection.CheckConnection());
  EXPECT_TRUE(connection.SendFrame(MessageCode::kQuery, body, nullptr, 5, &reply));
  ASSERT_TRUE(reply);
  EXPECT_EQ(reply->header.context, 5u);
}

}  // namespace
}  // namespace orra::testing
