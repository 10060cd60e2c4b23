#include "tools/xlhost/rtd_client.h"

#include <gtest/gtest.h>

#include "tools/xlhost/rtd_test_doubles.h"

namespace orra::xlhost {
namespace {

constexpr CellAddress kB3{2, 1};
constexpr CellAddress kB4{3, 1};
constexpr CellAddress kC1{0, 2};

RtdCall Call(std::u16string topic, std::u16string prog_id = u"Orra.Rtd") {
  return RtdCall{std::move(prog_id), u"", {u"'[Book1.xlsx]Sheet1'!B3", std::move(topic)}};
}

class RtdClientTest : public ::testing::Test {
 protected:
  RtdClientTest() { factory_.servers[u"Orra.Rtd"]; }

  FakeRtdServerState& server() { return factory_.servers.at(u"Orra.Rtd"); }
  // What a cell's evaluation does: one xlfRtd, then the runner hands over the cell's calls.
  GridValue Evaluate(CellAddress cell, const RtdCall& call) {
    GridValue value = client_.Value(call);
    client_.SetCellCalls(cell, {call});
    return value;
  }

  FakeRtdServerFactory factory_;
  RtdClient client_{factory_};
};

TEST_F(RtdClientTest, StartsTheServerOnceAndConnectsEachDistinctTopicListOnce) {
  server().connect_value = std::u16string(u"first");
  EXPECT_EQ(Evaluate(kB3, Call(u"close")), GridValue(u"first"));
  EXPECT_EQ(Evaluate(kB4, Call(u"close")), GridValue(u"first")) << "a second cell shares the topic";
  EXPECT_EQ(Evaluate(kC1, Call(u"Close")), GridValue(u"first")) << "topic strings compare with case";
  EXPECT_EQ(server().starts, 1);
  ASSERT_EQ(server().connected.size(), 2u);
  EXPECT_NE(server().connected[0].first, server().connected[1].first) << "each topic has its own id";
  EXPECT_EQ(server().connected[0].second,
            (std::vector<std::u16string>{u"'[Book1.xlsx]Sheet1'!B3", u"close"}))
      << "the topic strings alone, without ProgID and server";
  EXPECT_EQ(client_.topic_count(), 2u);
}

TEST_F(RtdClientTest, AProgIdWithoutServerOrAFailedConnectShowsNotAvailable) {
  EXPECT_EQ(Evaluate(kB3, Call(u"close", u"Nobody.Here")), GridValue(ErrorValue{xlerrNA}));
  server().fails_connect = true;
  EXPECT_EQ(Evaluate(kB4, Call(u"close")), GridValue(ErrorValue{xlerrNA}));
  EXPECT_EQ(client_.topic_count(), 0u);
  server().fails_connect = false;
  EXPECT_EQ(Evaluate(kB4, Call(u"close")), GridValue(-1.0)) << "a failed topic is tried again";
  EXPECT_EQ(server().connected.size(), 2u);
}

TEST_F(RtdClientTest, ARefreshStoresTheReportedValuesAndNamesTheCellsOfThoseTopicsOnly) {
  Evaluate(kB3, Call(u"close"));
  Evaluate(kB4, Call(u"close"));
  Evaluate(kC1, Call(u"open"));
  const int32_t close_id = server().connected[0].first;
  server().next_refresh = std::vector<TopicUpdate>{{close_id, 10.5}, {close_id + 1000, 1.0}};

  client_.set_throttle_ms(2000);
  EXPECT_TRUE(client_.Refresh(0).empty()) << "no refresh before the server asks";
  EXPECT_EQ(server().refreshes, 0);
  server().update_notified = true;
  EXPECT_EQ(client_.Refresh(0), (std::vector<CellAddress>{kB3, kB4})) << "an unknown topic id is ignored";
  EXPECT_EQ(client_.TopicValue(Call(u"close")), GridValue(10.5));
  EXPECT_EQ(client_.Value(Call(u"close")), GridValue(10.5)) << "what recalculation reads";
  EXPECT_EQ(client_.TopicValue(Call(u"open")), GridValue(-1.0));

  server().update_notified = true;
  EXPECT_TRUE(client_.Refresh(1999).empty()) << "within the throttle interval";
  EXPECT_EQ(server().refreshes, 1);
  client_.Refresh(2000);
  EXPECT_EQ(server().refreshes, 2);
}

TEST_F(RtdClientTest, AFailedRefreshKeepsTheValues) {
  Evaluate(kB3, Call(u"close"));
  server().next_refresh = std::nullopt;
  server().update_notified = true;
  EXPECT_TRUE(client_.Refresh(0).empty());
  EXPECT_EQ(client_.TopicValue(Call(u"close")), GridValue(-1.0));
}

TEST_F(RtdClientTest, ATopicIsDisconnectedWhenItsLastCellLetsItGoAndTheServerWithItsLastTopic) {
  Evaluate(kB3, Call(u"close"));
  Evaluate(kB4, Call(u"close"));
  Evaluate(kC1, Call(u"open"));
  const int32_t close_id = server().connected[0].first;
  const int32_t open_id = server().connected[1].first;

  client_.SetCellCalls(kB3, {});
  EXPECT_TRUE(server().disconnected.empty()) << "B4 still uses it";
  Evaluate(kB4, Call(u"high"));
  EXPECT_EQ(server().disconnected, std::vector<int32_t>{close_id}) << "B4's formula changed";
  EXPECT_EQ(client_.topic_count(), 2u);
  Evaluate(kB4, Call(u"high"));
  EXPECT_EQ(server().disconnected.size(), 1u) << "the same topic again changes nothing";

  client_.SetCellCalls(kC1, {});
  client_.SetCellCalls(kB4, {});
  EXPECT_EQ(server().disconnected, (std::vector<int32_t>{close_id, open_id, close_id + 2}));
  EXPECT_EQ(server().terminations, 1);
  EXPECT_FALSE(server().alive) << "let go once terminated";
  EXPECT_EQ(client_.server_count(), 0u);

  EXPECT_EQ(Evaluate(kB3, Call(u"close")), GridValue(-1.0));
  EXPECT_EQ(server().starts, 2) << "a new topic starts the server again";
  EXPECT_GT(server().connected.back().first, close_id + 2) << "a topic id is never used twice";
}

TEST_F(RtdClientTest, TerminateAllDisconnectsEveryTopicAndTerminatesEveryServer) {
  factory_.servers[u"Other.Rtd"];
  Evaluate(kB3, Call(u"close"));
  Evaluate(kB4, Call(u"close", u"Other.Rtd"));
  client_.TerminateAll();
  EXPECT_EQ(server().disconnected.size(), 1u);
  EXPECT_EQ(server().terminations, 1);
  EXPECT_EQ(factory_.servers.at(u"Other.Rtd").terminations, 1);
  EXPECT_FALSE(factory_.servers.at(u"Other.Rtd").alive);
  EXPECT_EQ(client_.topic_count(), 0u);
  client_.SetCellCalls(kB3, {});
  EXPECT_EQ(server().disconnected.size(), 1u) << "nothing is left to disconnect";
}

TEST_F(RtdClientTest, TheThrottleSetBeforeAServerStartsAppliesToIt) {
  client_.set_throttle_ms(0);
  Evaluate(kB3, Call(u"close"));
  server().update_notified = true;
  client_.Refresh(0);
  server().update_notified = true;
  client_.Refresh(0);
  EXPECT_EQ(server().refreshes, 2);
}

}  // namespace
}  // namespace orra::xlhost
