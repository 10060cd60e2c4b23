#include "transport/connection_loop.h"

#include <gtest/gtest.h>

#include <deque>
#include <limits>
#include <stdexcept>
#include <vector>

#include "testing/test_env.h"
#include "transport/heartbeat_payload.h"
#include "transport/message_code.h"
#include "transport/query_document.h"
#include "transport/query_payload.h"
#include "transport/wire_bytes.h"

namespace orra {
namespace {

// A link whose connection checks and sends succeed or fail as the test says, and which
// records what was sent.
class FakeLink : public FrameLink {
 public:
  struct Sent {
    uint32_t code;
    uint32_t context;
    std::vector<uint8_t> body = {};
  };
  bool CheckConnection() override {
    ++checks;
    return connect_ok;
  }
  std::optional<ReceivedFrame> ReceiveFrame() override {
    if (incoming.empty()) return std::nullopt;
    current = incoming.front();
    incoming.pop_front();
    ReceivedFrame frame;
    frame.header = current.header;
    frame.body = current.body;
    return frame;
  }
  bool SendFrame(uint32_t code, std::span<const uint8_t> body, const PackedBody*, uint32_t context,
                 std::optional<ReceivedFrame>*) override {
    if (throw_on_send) throw std::runtime_error("unexpected");
    if (send_failures > 0) {
      --send_failures;
      return false;
    }
    sent.push_back({code, context, {body.begin(), body.end()}});
    return true;
  }
  void Close() override { ++closes; }
  void Interrupt() override {}
  uint64_t Connections() const override { return connections; }

  void Deliver(uint32_t code, uint32_t context, std::vector<uint8_t> body) {
    Incoming in;
    in.header.code = code;
    in.header.context = context;
    in.header.body_length = static_cast<uint32_t>(body.size());
    in.body = std::move(body);
    incoming.push_back(std::move(in));
  }

  struct Incoming {
    FrameHeader header;
    std::vector<uint8_t> body;
  };
  bool connect_ok = true;
  int send_failures = 0;
  bool throw_on_send = false;
  int checks = 0;
  int closes = 0;
  uint64_t connections = 1;  // a test moves it on to say the link has connected again
  std::vector<Sent> sent;
  std::deque<Incoming> incoming;
  Incoming current;
};

std::unique_ptr<QueryJob> Query(TopicId context) {
  dozodavu_netcfg document;
  document.SetVersion();
  return QueryJob::ForQuery(context, u"xdbr", document);
}

class ConnectionLoopTest : public ::testing::Test {
 protected:
  ConnectionLoop MakeLoop() {
    ConnectionHandlers handlers;
    handlers.completion = [this](uint32_t context, uint32_t code, SharedBlock body) {
      completed.push_back({code, context});
      bodies.push_back(std::move(body));
    };
    handlers.dropped = [this](uint64_t context, uint32_t code) { dropped.push_back({code, static_cast<uint32_t>(context)}); };
    return ConnectionLoop(link, queue, std::move(handlers), env_);
  }
  void SetMinute(int minute) {
    LocalDateTime now = env_.clock().LocalNow();
    now.minute = minute;
    env_.manual_clock().SetLocal(now);
  }

  testing::TestEnv env_{LocalDateTime{2024, 5, 6, 9, 30, 0}};
  FakeLink link;
  JobQueue queue;
  std::vector<FakeLink::Sent> completed;
  std::vector<FakeLink::Sent> dropped;
  std::vector<SharedBlock> bodies;
};

TEST_F(ConnectionLoopTest, SendsAHeartbeatOnTheFirstIdlePassAndThenOncePerMinuteWhenIdle) {
  auto loop = MakeLoop();
  EXPECT_EQ(loop.Pass(), 0);
  ASSERT_EQ(link.sent.size(), 1u);
  EXPECT_EQ(link.sent[0].code, MessageCode::kHeartbeat);
  EXPECT_EQ(loop.Pass(), ConnectionLoop::kIdleWaitMs);
  EXPECT_EQ(link.sent.size(), 1u);

  // While jobs keep coming across the minute change, no heartbeat goes out.
  SetMinute(31);
  queue.PushTail(Query(5));
  loop.Pass();
  queue.PushTail(Query(6));
  loop.Pass();
  ASSERT_EQ(link.sent.size(), 3u);
  EXPECT_EQ(link.sent[1].code, MessageCode::kQuery);
  EXPECT_EQ(link.sent[2].context, 6u);
  loop.Pass();  // idle in a minute other than the last heartbeat's
  ASSERT_EQ(link.sent.size(), 4u);
  EXPECT_EQ(link.sent[3].code, MessageCode::kHeartbeat);
}

TEST_F(ConnectionLoopTest, TheHeartbeatReportsTheTrafficCountedInItsEnvironment) {
  env_.traffic().AddReceived(120, 2);
  env_.traffic().AddSent(30);
  auto loop = MakeLoop();
  loop.Pass();
  ASSERT_EQ(link.sent.size(), 1u);
  const std::vector<uint8_t>& body = link.sent[0].body;
  ASSERT_EQ(body.size(), 28u);
  EXPECT_EQ(body[8], 120);
  EXPECT_EQ(body[16], 30);
  EXPECT_EQ(body[24], 2);
}

TEST_F(ConnectionLoopTest, ChecksOnTheFirstPassAndEveryEleventhAfterAGoodCheck) {
  auto loop = MakeLoop();
  for (int i = 0; i < 23; ++i) loop.Pass();
  EXPECT_EQ(link.checks, 3);  // passes 0, 11 and 22
}

TEST_F(ConnectionLoopTest, ANotConnectableLinkWaitsAndChecksAgainEachPass) {
  link.connect_ok = false;
  queue.PushTail(Query(1));
  auto loop = MakeLoop();
  EXPECT_EQ(loop.Pass(), ConnectionLoop::kRetryWaitMs);
  EXPECT_EQ(loop.Pass(), ConnectionLoop::kRetryWaitMs);
  EXPECT_EQ(link.checks, 2);
  EXPECT_TRUE(link.sent.empty());
  EXPECT_EQ(queue.Size(), 1u);  // nothing attempted while the link is down
  link.connect_ok = true;
  loop.Pass();
  ASSERT_EQ(link.sent.size(), 1u);
  EXPECT_EQ(link.sent[0].context, 1u);
}

TEST_F(ConnectionLoopTest, AJobIsTriedFourTimesThenDroppedAndTheNextOneFollowsACheck) {
  SetMinute(0);
  auto loop = MakeLoop();
  loop.Pass();  // the first heartbeat
  queue.PushTail(Query(41));
  queue.PushTail(Query(42));
  link.send_failures = 4;
  for (int i = 0; i < 4; ++i) {
    const int checks = link.checks;
    loop.Pass();
    if (i > 0) {
      EXPECT_EQ(link.checks, checks + 1) << "a check comes before every retry";
    }
  }
  ASSERT_EQ(dropped.size(), 1u);
  EXPECT_EQ(dropped[0].context, 41u);
  EXPECT_EQ(dropped[0].code, MessageCode::kQuery);
  const int checks = link.checks;
  loop.Pass();
  EXPECT_EQ(link.checks, checks + 1);
  ASSERT_EQ(link.sent.size(), 2u);
  EXPECT_EQ(link.sent[1].context, 42u);
  EXPECT_EQ(queue.Size(), 0u);
}

TEST_F(ConnectionLoopTest, HandsRepliesToTheCompletionHandlerAndDropsPushes) {
  auto loop = MakeLoop();
  link.Deliver(MessageCode::kPushNotice, 1, {1});
  link.Deliver(MessageCode::kPushQuote, 2, {2});
  link.Deliver(MessageCode::kQuery, 77, {9, 8, 7});
  link.Deliver(0x777, 78, {});
  for (int i = 0; i < 4; ++i) EXPECT_EQ(loop.Pass(), 0);
  ASSERT_EQ(completed.size(), 2u);
  EXPECT_EQ(completed[0].context, 77u);
  EXPECT_EQ(completed[0].code, MessageCode::kQuery);
  EXPECT_EQ(std::vector<uint8_t>(bodies[0]->bytes().begin(), bodies[0]->bytes().end()), (std::vector<uint8_t>{9, 8, 7}));
  EXPECT_EQ(completed[1].code, 0x777u);
  EXPECT_EQ(link.closes, 0);  // the push frames did not disturb the connection
}

TEST_F(ConnectionLoopTest, ANegativeTopicIdTravelsAsItsBitsAndComesBackAsItself) {
  std::vector<TopicId> answered;
  std::vector<TopicId> given_up;
  ConnectionHandlers handlers;
  handlers.completion = [&answered](TopicId topic, uint32_t, SharedBlock) { answered.push_back(topic); };
  handlers.dropped = [&given_up](TopicId topic, uint32_t) { given_up.push_back(topic); };
  ConnectionLoop loop(link, queue, std::move(handlers), env_);
  loop.Pass();  // the first heartbeat
  constexpr TopicId kNegative = -2;
  queue.PushTail(Query(kNegative));
  loop.Pass();
  ASSERT_EQ(link.sent.size(), 2u);
  EXPECT_EQ(link.sent[1].context, 0xFFFFFFFEu);
  link.Deliver(MessageCode::kQuery, link.sent[1].context, {1});
  loop.Pass();
  EXPECT_EQ(answered, std::vector<TopicId>{kNegative});

  constexpr TopicId kLowest = std::numeric_limits<TopicId>::min();
  queue.PushTail(Query(kLowest));
  link.send_failures = ConnectionLoop::kMaxAttempts;
  for (int i = 0; i < ConnectionLoop::kMaxAttempts; ++i) loop.Pass();
  EXPECT_EQ(given_up, std::vector<TopicId>{kLowest});
}

TEST_F(ConnectionLoopTest, RecoverClosesTheLinkAndForcesACheck) {
  auto loop = MakeLoop();
  loop.Pass();
  link.throw_on_send = true;
  queue.PushTail(Query(3));
  EXPECT_THROW(loop.Pass(), std::runtime_error);
  EXPECT_EQ(loop.Recover(), ConnectionLoop::kRetryWaitMs);
  EXPECT_EQ(link.closes, 1);
  link.throw_on_send = false;
  const int checks = link.checks;
  loop.Pass();
  EXPECT_EQ(link.checks, checks + 1);
}

// The server closed the connection after the query was written: the send succeeded, no answer
// will come, and the link's next connection must carry the query again.
TEST_F(ConnectionLoopTest, QueriesUnansweredWhenTheLinkReconnectsGoOutAgainAheadOfNewJobs) {
  auto loop = MakeLoop();
  loop.Pass();  // the first heartbeat
  queue.PushTail(Query(1));
  queue.PushTail(Query(2));
  queue.PushTail(Query(3));
  for (int i = 0; i < 3; ++i) loop.Pass();
  link.Deliver(MessageCode::kQuery, 2, {2});
  loop.Pass();  // takes the answer to 2
  queue.PushTail(Query(4));
  ++link.connections;
  for (int i = 0; i < 3; ++i) loop.Pass();
  std::vector<uint32_t> contexts;
  for (const auto& sent : link.sent) contexts.push_back(sent.context);
  EXPECT_EQ(contexts, (std::vector<uint32_t>{0, 1, 2, 3, 1, 3, 4}));
  EXPECT_EQ(link.sent[0].code, MessageCode::kHeartbeat);  // and it is not sent again
  EXPECT_TRUE(dropped.empty());
  EXPECT_EQ(queue.Size(), 0u);

  // Answers on the new connection, one of them twice, leave nothing to resend.
  link.Deliver(MessageCode::kQuery, 1, {1});
  link.Deliver(MessageCode::kQuery, 1, {1});
  link.Deliver(MessageCode::kQuery, 3, {3});
  link.Deliver(MessageCode::kQuery, 4, {4});
  for (int i = 0; i < 4; ++i) loop.Pass();
  ++link.connections;
  loop.Pass();
  EXPECT_EQ(link.sent.size(), 7u);
  EXPECT_EQ(completed.size(), 5u);
}

TEST_F(ConnectionLoopTest, AQueryLostToReconnectsCountsThemAsAttemptsAndIsDroppedAfterTheLast) {
  SetMinute(0);
  auto loop = MakeLoop();
  loop.Pass();
  queue.PushTail(Query(9));
  loop.Pass();
  for (int i = 1; i < ConnectionLoop::kMaxAttempts; ++i) {
    ++link.connections;
    loop.Pass();
    ASSERT_EQ(link.sent.size(), static_cast<size_t>(1 + i + 1)) << "resend " << i;
    EXPECT_EQ(link.sent.back().context, 9u);
  }
  ++link.connections;
  loop.Pass();
  ASSERT_EQ(dropped.size(), 1u);
  EXPECT_EQ(dropped[0].context, 9u);
  EXPECT_EQ(link.sent.size(), static_cast<size_t>(1 + ConnectionLoop::kMaxAttempts));
}

TEST_F(ConnectionLoopTest, AQueryWhoseRequestHasTimedOutIsNotSentAgain) {
  auto loop = MakeLoop();
  loop.Pass();
  queue.PushTail(Query(5));
  loop.Pass();
  env_.manual_clock().Advance(UnansweredJobs::kAnswerWaitMs - 1);
  queue.PushTail(Query(6));
  loop.Pass();
  env_.manual_clock().Advance(1);  // 5 has waited its whole time, 6 has not
  ++link.connections;
  loop.Pass();
  ASSERT_EQ(link.sent.size(), 4u);
  EXPECT_EQ(link.sent[3].context, 6u);
  EXPECT_TRUE(dropped.empty());
}

TEST(QueryJob, CarriesTheQueryPayloadForTheDocument) {
  using L = QueryPayloadLayout;
  dozodavu_netcfg document;
  document.SetVersion();
  const auto job = QueryJob::ForQuery(5, u"xdbr", document);
  ASSERT_TRUE(job);
  EXPECT_EQ(job->context, 5);
  EXPECT_EQ(job->message_code, MessageCode::kQuery);
  ASSERT_EQ(job->bytes().size(), document.Size() + L::kOverhead);
  EXPECT_EQ(job->payload->capacity(), 512u);  // document size + 222 from the pool
  const uint8_t* bytes = job->bytes().data();
  EXPECT_EQ(GetFixedText(bytes + L::kServiceOffset, L::kServiceWidth), "xdbr");
  EXPECT_EQ(GetI32(bytes + L::kDocumentSizeOffset), static_cast<int32_t>(document.Size()));
  std::vector<uint8_t> serialised(document.Size());
  document.Serialise(serialised.data());
  EXPECT_EQ(std::vector<uint8_t>(bytes + L::kHeadSize, bytes + L::kHeadSize + serialised.size()), serialised);
  EXPECT_EQ(job->bytes().back(), 0);

  const auto heartbeat = QueryJob::ForHeartbeat({1, 2, 3});
  ASSERT_TRUE(heartbeat);
  EXPECT_EQ(heartbeat->message_code, MessageCode::kHeartbeat);
  const auto totals = ReadHeartbeatPayload(heartbeat->bytes());
  ASSERT_TRUE(totals);
  EXPECT_EQ(totals->bytes_received, 1u);
  EXPECT_EQ(totals->bytes_sent, 2u);
  EXPECT_EQ(totals->frames_received, 3u);
}

}  // namespace
}  // namespace orra
