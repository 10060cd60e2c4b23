#include "transport/unanswered_jobs.h"

#include <gtest/gtest.h>

#include "transport/message_code.h"
#include "transport/query_document.h"

namespace orra {
namespace {

std::unique_ptr<QueryJob> Query(uint64_t context) {
  dozodavu_netcfg document;
  document.SetVersion();
  return QueryJob::ForQuery(context, u"xdbr", document);
}

TEST(UnansweredJobs, AnAnswerTakesTheOldestJobOfItsCodeAndContext) {
  UnansweredJobs jobs;
  jobs.Add(Query(0x100000007ULL), 0);
  jobs.Add(Query(7), 1);
  jobs.Add(Query(8), 2);
  jobs.Answered(MessageCode::kHeartbeat, 7);  // the right context, but not a query's answer
  jobs.Answered(MessageCode::kQuery, 99);
  EXPECT_EQ(jobs.Size(), 3u);
  jobs.Answered(MessageCode::kQuery, 7);  // only the low 32 bits of the context travel
  const auto left = jobs.TakeAll(3);
  ASSERT_EQ(left.size(), 2u);
  EXPECT_EQ(left[0]->context, 7u);
  EXPECT_EQ(left[1]->context, 8u);
  EXPECT_EQ(jobs.Size(), 0u);
}

TEST(UnansweredJobs, LetsGoOfJobsOlderThanTheAnswerWaitWhenAnotherIsAdded) {
  UnansweredJobs jobs;
  jobs.Add(Query(1), 0);
  jobs.Add(Query(2), 10);
  jobs.Add(Query(3), UnansweredJobs::kAnswerWaitMs);
  EXPECT_EQ(jobs.Size(), 2u);
  jobs.Add(nullptr, UnansweredJobs::kAnswerWaitMs + 10);
  EXPECT_EQ(jobs.Size(), 1u);
}

}  // namespace
}  // namespace orra
