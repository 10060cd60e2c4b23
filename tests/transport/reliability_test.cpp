// The connection thread against the stand-in server misbehaving in each of its fault modes:
// the client closes the broken connection, reconnects, sends a job at most four times, and
// answers later jobs once the fault is gone.

#include <gtest/gtest.h>

#include <algorithm>

#include "tests/transport/query_client.h"
#include "tests/transport/sample_server.h"

namespace orra::testing {
namespace {

using server::Fault;

struct FaultCase {
  const char* name;
  Fault fault;
  bool answered_despite_fault;
};

class FaultModes : public ::testing::TestWithParam<FaultCase> {};

TEST_P(FaultModes, TheClientRecoversAndLaterJobsAreAnswered) {
  const FaultCase& c = GetParam();
  SampleServer sample;
  ASSERT_TRUE(sample.ok());
  QueryClient client(sample.BinaryProfile());
  ASSERT_TRUE(client.Start());

  client.Post(1, u"stock/close", u"600000.SH");
  ASSERT_TRUE(WaitUntil([&] { return client.HasReply(1); }));
  const int connections_before = sample.server().stats().connections;

  sample.server().SetFault(c.fault);
  const int queries_before = sample.server().stats().queries;
  client.Post(2, u"stock/close", u"000001.SZ");
  if (c.answered_despite_fault) {
    ASSERT_TRUE(WaitUntil([&] { return client.HasReply(2); }));
    EXPECT_EQ(client.FirstText(2), u"12.3");
  } else {
    ASSERT_TRUE(WaitUntil([&] { return sample.server().stats().queries > queries_before; }));
    // The broken reply closes the connection and the next check opens a new one.
    ASSERT_TRUE(WaitUntil([&] { return sample.server().stats().connections > connections_before; }))
        << "the client did not reconnect after " << c.name;
    EXPECT_FALSE(client.HasReply(2));
  }
  EXPECT_LE(sample.server().stats().queries - queries_before, 4);

  sample.server().SetFault(Fault{});
  client.Post(3, u"stock/name", u"600519.SH");
  ASSERT_TRUE(WaitUntil([&] { return client.HasReply(3); })) << "no answer after " << c.name << " ended";
  EXPECT_EQ(client.FirstText(3), u"贵州茅台");
  EXPECT_EQ(client.queue().Size(), 0u);
}

INSTANTIATE_TEST_SUITE_P(
    StandInServer, FaultModes,
    ::testing::Values(FaultCase{"drop-mid-header", {Fault::Kind::kDropMidHeader, 0}, false},
                      FaultCase{"drop-mid-body", {Fault::Kind::kDropMidBody, 0}, false},
                      FaultCase{"corrupt-zlib", {Fault::Kind::kCorruptZlib, 0}, false},
                      FaultCase{"wrong-length", {Fault::Kind::kWrongLength, 0}, false},
                      FaultCase{"huge-length", {Fault::Kind::kHugeLength, 0}, false},
                      FaultCase{"slow", {Fault::Kind::kSlow, 0}, true},
                      FaultCase{"close-after-1", {Fault::Kind::kCloseAfter, 1}, true}),
    [](const ::testing::TestParamInfo<FaultCase>& info) {
      std::string name = info.param.name;
      for (char& ch : name) {
        if (ch == '-') ch = '_';
      }
      return name;
    });

// A server that closes every connection at once: each send of the job fails or its reply never
// comes; the job goes out at most four times, and a dropped job is reported once.
TEST(FaultModes, AServerThatClosesAtOnceNeverGetsAJobMoreThanFourTimes) {
  SampleServer sample;
  ASSERT_TRUE(sample.ok());
  sample.server().SetFault(Fault{Fault::Kind::kCloseAfter, 0});
  QueryClient client(sample.BinaryProfile());
  ASSERT_TRUE(client.Start());
  client.Post(7, u"stock/close", u"600000.SH");
  // Heartbeats fail there too and are dropped as well (context 0); the query is dropped once.
  const auto drops_of_7 = [&] { return std::ranges::count(client.dropped(), uint64_t{7}); };
  ASSERT_TRUE(WaitUntil([&] { return drops_of_7() > 0; }));
  EXPECT_EQ(sample.server().stats().queries, 0);

  sample.server().SetFault(Fault{});
  client.Post(8, u"stock/close", u"600519.SH");
  ASSERT_TRUE(WaitUntil([&] { return client.HasReply(8); }));
  EXPECT_EQ(client.FirstText(8), u"1688");
  EXPECT_EQ(drops_of_7(), 1);
}

// Queries sent faster than they are answered reach the server together; its answers then leave
// in batches, and each must still reach the query it answers.
TEST(ConnectionToTheServer, ABurstOfQueriesIsAnsweredQueryByQuery) {
  constexpr int kQueries = 600;
  const std::u16string codes[] = {u"600000.SH", u"000001.SZ", u"600519.SH"};
  const std::u16string closes[] = {u"10.52", u"12.3", u"1688"};
  SampleServer sample;
  ASSERT_TRUE(sample.ok());
  QueryClient client(sample.BinaryProfile());
  for (int i = 1; i <= kQueries; ++i) client.Post(static_cast<TopicId>(i), u"stock/close", codes[i % 3]);
  ASSERT_TRUE(client.Start());
  ASSERT_TRUE(WaitUntil([&] { return client.HasReply(kQueries) && sample.server().stats().queries == kQueries; }));
  for (int i = 1; i <= kQueries; ++i) {
    ASSERT_TRUE(WaitUntil([&] { return client.HasReply(static_cast<TopicId>(i)); })) << i;
    EXPECT_EQ(client.FirstText(static_cast<TopicId>(i)), closes[i % 3]) << i;
  }
}

TEST(ConnectionToTheServer, AnswersQueriesErrorsAndCountsHeartbeats) {
  SampleServer sample;
  ASSERT_TRUE(sample.ok());
  QueryClient client(sample.BinaryProfile());
  ASSERT_TRUE(client.Start());
  client.Post(1, u"stock/name", u"000001.SZ");
  client.Post(2, u"stock/name", u"999999.SH");
  client.Post(3, u"no/such/service", u"600000.SH");
  ASSERT_TRUE(WaitUntil([&] { return client.HasReply(1) && client.HasReply(2) && client.HasReply(3); }));
  EXPECT_EQ(client.FirstText(1), u"平安银行");
  EXPECT_EQ(client.FirstText(2), u"error: 无数据");
  EXPECT_EQ(client.FirstText(3), u"error: 无此服务: no/such/service");
  // The first idle pass sends a heartbeat.
  ASSERT_TRUE(WaitUntil([&] { return sample.server().stats().heartbeats >= 1; }));
}

}  // namespace
}  // namespace orra::testing
