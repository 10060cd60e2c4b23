#include "transport/job_queue.h"

#include <gtest/gtest.h>

#include <thread>
#include <vector>

#include "transport/message_code.h"
#include "transport/query_document.h"

namespace orra {
namespace {

std::unique_ptr<QueryJob> Query(TopicId context) {
  dozodavu_netcfg document;
  document.SetVersion();
  return QueryJob::ForQuery(context, u"xdbr", document);
}

TEST(JobQueue, KeepsOrderTakesRetriesAtTheHeadAndReleasesAll) {
  JobQueue queue;
  EXPECT_EQ(queue.PopHead(), nullptr);
  queue.PushTail(Query(1));
  queue.PushTail(Query(2));
  auto first = queue.PopHead();
  queue.PushHead(std::move(first));
  EXPECT_EQ(queue.PopHead()->context, 1);
  EXPECT_EQ(queue.PopHead()->context, 2);
  queue.PushTail(Query(3));
  queue.PushTail(nullptr);
  queue.ReleaseAll();
  EXPECT_EQ(queue.Size(), 0u);
}

TEST(JobQueue, IgnoresNullJobsAndCountsWhatItHolds) {
  JobQueue queue;
  queue.PushHead(nullptr);
  queue.PushTail(nullptr);
  EXPECT_EQ(queue.Size(), 0u);
  queue.PushTail(Query(1));
  queue.PushHead(Query(2));
  EXPECT_EQ(queue.Size(), 2u);
  EXPECT_EQ(queue.PopHead()->context, 2);
  EXPECT_EQ(queue.Size(), 1u);
}

// Query workers push while the connection thread pops and puts retries back: every job comes
// out exactly once, and each producer's jobs keep their order.
TEST(JobQueue, ProducersAndAConsumerOnOtherThreadsLoseAndReorderNothing) {
  constexpr int kProducers = 3;
  constexpr int kJobsEach = 200;
  // A job's topic id says which producer made it and in what place.
  constexpr TopicId kStride = 1000;
  JobQueue queue;
  std::vector<std::thread> producers;
  for (int p = 0; p < kProducers; ++p) {
    producers.emplace_back([&queue, p] {
      for (int i = 0; i < kJobsEach; ++i) queue.PushTail(Query(p * kStride + i));
    });
  }
  std::vector<int> next(kProducers, 0);
  int taken = 0;
  bool retried = false;
  for (int spins = 0; taken < kProducers * kJobsEach && spins < 10'000'000; ++spins) {
    auto job = queue.PopHead();
    if (!job) {
      std::this_thread::yield();
      continue;
    }
    if (!retried) {  // one retry goes back to the head and must come out next
      retried = true;
      queue.PushHead(std::move(job));
      continue;
    }
    const auto producer = static_cast<size_t>(job->context / kStride);
    if (producer >= next.size()) {
      ADD_FAILURE() << "a job no producer made: " << job->context;
      continue;
    }
    EXPECT_EQ(job->context % kStride, next[producer]) << "producer " << producer;
    ++next[producer];
    ++taken;
  }
  for (auto& producer : producers) producer.join();
  EXPECT_EQ(taken, kProducers * kJobsEach);
  EXPECT_EQ(queue.Size(), 0u);
}

}  // namespace
}  // namespace orra
