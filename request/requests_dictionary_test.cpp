#include "request/requests_dictionary.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "common/clock.h"
#include "common/event.h"
#include "testing/request_doubles.h"
#include "testing/test_env.h"
#include "testing/wait_until.h"

namespace orra {
namespace {
using testing::FakePreparer;
using testing::WaitUntil;

tagRequest Record(int32_t topic, const char16_t* indicator = u"close") {
  tagRequest r(topic);
  r.function_id = 0;
  std::copy_n(indicator, std::char_traits<char16_t>::length(indicator), r.indicator_name);
  r.parameters[u"@seccode@"] = u"600000.sh";
  return r;
}

SharedBlock Body(uint8_t first) {
  const uint8_t bytes[] = {first, 2, 3};
  return PooledBlock::CopyOf(bytes);
}

class RequestsDictionaryTest : public ::testing::Test {
 protected:
  void TearDown() override { requests.StopWorker(); }
  void StartAndDrain(size_t expected_posts) {
    requests.StartWorker(preparer);
    ASSERT_TRUE(WaitUntil([&] { return preparer.Posted().size() >= expected_posts && requests.PendingCount() == 0; }));
  }

  std::vector<size_t> batches;  // written by the worker, read once it drained
  testing::TestEnv env;
  FakePreparer preparer;
  RequestsDictionary requests{env, {[this](size_t n) { batches.push_back(n); }}};
};

TEST_F(RequestsDictionaryTest, WorkerTakesBatchesOfAtMost5000) {
  for (int32_t t = 1; t <= 12000; ++t) requests.Queue(Record(t));
  StartAndDrain(12000);
  EXPECT_EQ(batches, (std::vector<size_t>{5000, 5000, 2000}));
  EXPECT_EQ(requests.Find(77)->decimals, 3) << "display attributes come from the descriptor";
  EXPECT_EQ(requests.Find(77)->value_kind, 2);
  EXPECT_EQ(requests.Find(77)->Status(), RequestStatus::kPending) << "pending until the reply";
  EXPECT_TRUE(requests.TakeChanged().empty());
}

TEST_F(RequestsDictionaryTest, UnknownIndicatorIsRefusedWithoutServerContact) {
  preparer.unknown[u"nosuch"] = 1;
  requests.Queue(Record(1, u"nosuch"));
  requests.Queue(Record(2, u""));
  requests.Queue(Record(3));
  StartAndDrain(1);
  ASSERT_TRUE(WaitUntil([&] { return requests.Find(2)->Status() == RequestStatus::kNoIndicator; }));
  EXPECT_EQ(requests.Find(1)->Status(), RequestStatus::kNoIndicator);
  EXPECT_EQ(preparer.Posted(), (std::vector<int32_t>{3}));
  EXPECT_EQ(requests.TakeChanged(), (std::vector<int32_t>{1, 2}));
  EXPECT_TRUE(requests.TakeChanged().empty()) << "each change is reported once";
}

TEST_F(RequestsDictionaryTest, ReplyIsStoredReportedAndReplacedByALaterOne) {
  requests.Queue(Record(5));
  StartAndDrain(1);
  requests.OnReply(5, 0x10011, Body(9));
  EXPECT_EQ(requests.Find(5)->Status(), RequestStatus::kPending) << "other message codes are ignored";

  requests.OnReply(5, 0x10010, Body(1));
  EXPECT_EQ(requests.Find(5)->Status(), RequestStatus::kAnswered);
  EXPECT_EQ(requests.TakeChanged(), (std::vector<int32_t>{5}));

  SharedBlock kept = requests.Find(5)->result;
  requests.OnReply(5, 0x10010, Body(2));
  EXPECT_EQ(requests.Find(5)->result->bytes()[0], 2);
  EXPECT_EQ(kept->bytes()[0], 1) << "a renderer holding the old block keeps it valid";
  EXPECT_EQ(requests.TakeChanged(), (std::vector<int32_t>{5})) << "the new answer is reported";
}

TEST_F(RequestsDictionaryTest, DisconnectedTopicLeavesNothingBehind) {
  requests.Queue(Record(8));
  requests.Remove(8);
  requests.Queue(Record(9));
  StartAndDrain(1);
  EXPECT_EQ(preparer.Posted(), (std::vector<int32_t>{9})) << "a removed id on the pending list is skipped";
  requests.Remove(9);
  requests.OnReply(9, 0x10010, Body(1));
  requests.OnJobDropped(9);
  EXPECT_EQ(requests.Size(), 0u);
  EXPECT_TRUE(requests.TakeChanged().empty());
  requests.Remove(12345);  // unknown ids change nothing
}

TEST_F(RequestsDictionaryTest, RequeueOnlyWhatExcelHoldsAndHasSeen) {
  requests.Queue(Record(1));
  requests.Queue(Record(2));
  StartAndDrain(2);
  EXPECT_FALSE(requests.Requeue(1)) << "still waiting for its first answer";
  requests.OnReply(1, 0x10010, Body(1));
  requests.OnReply(2, 0x10010, Body(1));
  EXPECT_FALSE(requests.Requeue(1)) << "answered but not yet reported";
  requests.TakeChanged();
  tagRequest gone = *requests.Find(2);
  gone.connected = 0;
  requests.Store(gone);
  EXPECT_FALSE(requests.Requeue(2)) << "Excel no longer holds it";
  EXPECT_TRUE(requests.Requeue(1));
  EXPECT_EQ(requests.Find(1)->Status(), RequestStatus::kPending);
  EXPECT_EQ(requests.Find(1)->delivered, 0);
  ASSERT_TRUE(WaitUntil([&] { return preparer.Posted().size() == 3; }));
  EXPECT_EQ(preparer.Posted().back(), 1);
}

TEST_F(RequestsDictionaryTest, UnansweredRequestTimesOutAndCanBeSentAgain) {
  requests.Queue(Record(1));
  StartAndDrain(1);
  env.manual_clock().Advance(RequestsDictionary::kAnswerTimeoutMs);
  EXPECT_TRUE(requests.TakeChanged().empty()) << "not yet over the bound";
  env.manual_clock().Advance(1);
  EXPECT_EQ(requests.TakeChanged(), (std::vector<int32_t>{1}));
  EXPECT_EQ(requests.Find(1)->Status(), RequestStatus::kTimedOut);

  // A late answer still reaches the cell.
  requests.OnReply(1, 0x10010, Body(1));
  EXPECT_EQ(requests.TakeChanged(), (std::vector<int32_t>{1}));
  EXPECT_EQ(requests.Find(1)->Status(), RequestStatus::kAnswered);
}

TEST_F(RequestsDictionaryTest, DroppedJobTimesOutItsRequestAndARefreshSendsItAgain) {
  requests.Queue(Record(4));
  StartAndDrain(1);
  requests.OnJobDropped(4);
  EXPECT_EQ(requests.TakeChanged(), (std::vector<int32_t>{4}));
  EXPECT_EQ(requests.Find(4)->Status(), RequestStatus::kTimedOut);
  EXPECT_TRUE(requests.Requeue(4));
  ASSERT_TRUE(WaitUntil([&] { return preparer.Posted().size() == 2; }));
  requests.OnReply(4, 0x10010, Body(1));
  requests.OnJobDropped(4);  // a stale drop of the first job does not undo the answer
  EXPECT_EQ(requests.Find(4)->Status(), RequestStatus::kAnswered);
}

TEST_F(RequestsDictionaryTest, OneFailingRequestDoesNotStopTheOthers) {
  preparer.post_succeeds = false;
  requests.Queue(Record(1, u"throws"));
  requests.Queue(Record(2));
  StartAndDrain(1);
  ASSERT_TRUE(WaitUntil([&] { return requests.Find(2)->Status() == RequestStatus::kTimedOut; }));
  EXPECT_EQ(requests.Find(1)->Status(), RequestStatus::kTimedOut);
  EXPECT_EQ(requests.TakeChanged(), (std::vector<int32_t>{1, 2}));
}

TEST_F(RequestsDictionaryTest, ClearedDeliveredFlagsReportEveryRecordAgain) {
  tagRequest refused = Record(3);
  refused.SetStatus(RequestStatus::kNotLoggedIn);
  requests.Store(refused);
  requests.Queue(Record(1));
  EXPECT_EQ(requests.TakeChanged(), (std::vector<int32_t>{3}));
  requests.ClearDeliveredFlags();
  EXPECT_EQ(requests.TakeChanged(), (std::vector<int32_t>{3})) << "pending records are not reported";
  const auto callers = requests.Callers();
  ASSERT_EQ(callers.size(), 2u);
  EXPECT_EQ(callers[0].first, 1);
}

TEST_F(RequestsDictionaryTest, ChangesAreReportedOnceInTopicOrderAndOnlyForRecordsStillHeld) {
  for (int32_t t = 1; t <= 4; ++t) requests.Queue(Record(t));
  StartAndDrain(4);
  requests.OnReply(4, 0x10010, Body(1));
  requests.OnReply(2, 0x10010, Body(1));
  requests.OnReply(4, 0x10010, Body(2));  // changed twice before Excel asks
  requests.OnJobDropped(3);
  requests.Remove(3);                     // changed, then let go
  requests.OnJobDropped(1);
  requests.Queue(Record(1));              // changed, then replaced by a new pending request
  EXPECT_EQ(requests.TakeChanged(), (std::vector<int32_t>{2, 4}));

  tagRequest refused = Record(3);
  refused.SetStatus(RequestStatus::kNotLoggedIn);
  requests.Store(refused);  // the same id again, after its earlier change was skipped
  EXPECT_EQ(requests.TakeChanged(), (std::vector<int32_t>{3}));
  EXPECT_TRUE(requests.TakeChanged().empty());
}

TEST_F(RequestsDictionaryTest, TimeOutCountsFromTheLatestQueuingAndSparesAnsweredRequests) {
  requests.Queue(Record(1));
  requests.Queue(Record(2));
  StartAndDrain(2);
  requests.OnReply(1, 0x10010, Body(1));
  EXPECT_EQ(requests.TakeChanged(), (std::vector<int32_t>{1}));
  env.manual_clock().Advance(RequestsDictionary::kAnswerTimeoutMs / 2);
  ASSERT_TRUE(requests.Requeue(1));
  ASSERT_TRUE(WaitUntil([&] { return preparer.Posted().size() == 3; }));
  env.manual_clock().Advance(RequestsDictionary::kAnswerTimeoutMs / 2 + 1);
  EXPECT_EQ(requests.TakeChanged(), (std::vector<int32_t>{2})) << "1 was queued again half-way";
  EXPECT_EQ(requests.Find(1)->Status(), RequestStatus::kPending);
  env.manual_clock().Advance(RequestsDictionary::kAnswerTimeoutMs / 2);
  EXPECT_EQ(requests.TakeChanged(), (std::vector<int32_t>{1}));

  requests.OnReply(2, 0x10010, Body(1));
  requests.OnReply(1, 0x10010, Body(1));
  EXPECT_EQ(requests.TakeChanged(), (std::vector<int32_t>{1, 2}));
  env.manual_clock().Advance(2 * RequestsDictionary::kAnswerTimeoutMs);
  EXPECT_TRUE(requests.TakeChanged().empty()) << "answers do not time out";
  EXPECT_EQ(requests.Find(1)->Status(), RequestStatus::kAnswered);
}

// Holds every Prepare until the test opens the gate, so a stop can arrive mid-batch.
class GatedPreparer : public QueryPreparer {
 public:
  PreparedQuery Prepare(const tagRequest&) override {
    in_prepare.store(true);
    ++prepares;
    entered.Set();
    gate.Wait(std::chrono::milliseconds(10000));
    in_prepare.store(false);
    return {};
  }
  Event entered{Event::Reset::kManual};
  Event gate{Event::Reset::kManual};
  std::atomic<bool> in_prepare{false};
  std::atomic<int> prepares{0};
};

TEST(RequestsDictionaryStop, WaitsForThePrepareUnderWayAndStartsNoOther) {
  testing::TestEnv env;
  auto preparer = std::make_unique<GatedPreparer>();
  RequestsDictionary requests(env);
  for (int32_t t = 1; t <= 3; ++t) requests.Queue(Record(t));
  requests.StartWorker(*preparer);
  ASSERT_TRUE(preparer->entered.Wait(std::chrono::milliseconds(10000)));

  std::atomic<bool> stopped{false};
  std::thread stopper([&] {
    requests.StopWorker();
    stopped.store(true);
  });
  // Longer than any grace a stop might give a worker before letting it go.
  std::this_thread::sleep_for(std::chrono::milliseconds(1500));
  EXPECT_FALSE(stopped.load()) << "the stop returned while the worker was still inside the preparer";
  preparer->gate.Set();
  const auto opened = std::chrono::steady_clock::now();
  EXPECT_TRUE(WaitUntil([&] { return stopped.load(); }, 5000)) << "the stop did not end with the prepare";
  stopper.join();
  EXPECT_LT(std::chrono::steady_clock::now() - opened, std::chrono::seconds(5));
  EXPECT_FALSE(preparer->in_prepare.load());
  EXPECT_EQ(preparer->prepares.load(), 1) << "no request of the batch is prepared after the stop";
  EXPECT_EQ(requests.PendingCount(), 0u);
  // What the worker used can go now; under ASan a worker still running would be caught here.
  preparer.reset();
  EXPECT_EQ(requests.Find(2)->Status(), RequestStatus::kPending);
}

TEST(RequestsDictionaryStop, AStoppedWorkerCanBeStartedAgain) {
  testing::TestEnv env;
  FakePreparer preparer;
  RequestsDictionary requests(env);
  requests.StartWorker(preparer);
  requests.StopWorker();
  requests.StopWorker();  // a second stop is harmless
  requests.Queue(Record(1));
  requests.StartWorker(preparer);
  EXPECT_TRUE(WaitUntil([&] { return preparer.Posted() == std::vector<int32_t>{1}; }));
  requests.StopWorker();
}

TEST(RequestsDictionaryTimeout, TheAnswerBoundIsTheOwnersChoice) {
  testing::TestEnv env;
  RequestsDictionary::Options options;
  options.answer_timeout_ms = 5 * RequestsDictionary::kAnswerTimeoutMs;
  RequestsDictionary requests(env, options);
  requests.Queue(Record(1));
  env.manual_clock().Advance(options.answer_timeout_ms);
  EXPECT_TRUE(requests.TakeChanged().empty());
  env.manual_clock().Advance(1);
  EXPECT_EQ(requests.TakeChanged(), (std::vector<int32_t>{1}));
}

}  // namespace
}  // namespace orra
