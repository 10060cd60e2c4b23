#include "common/env.h"

#include <gtest/gtest.h>

#include <new>
#include <string>

#include "testing/test_env.h"

namespace orra {
namespace {

class ThrowingSink final : public DebugSink {
 public:
  void Write(std::u16string_view) override { throw std::bad_alloc(); }
};

TEST(EnvDebug, LinesReachTheSinkAsWrittenAndFormattedLinesAreCutAt1023Bytes) {
  testing::TestEnv env;
  env.Debug(u"宽字符\r\n");
  env.Debug(std::string_view("narrow\r\n"));
  env.DebugPrintf("[%s:%d]\r\n", "127.0.0.1", 9911);
  EXPECT_EQ(env.DebugText(), u"宽字符\r\nnarrow\r\n[127.0.0.1:9911]\r\n");

  env.ClearDebugText();
  const std::string long_line(2000, 'x');
  env.DebugPrintf("%s", long_line.c_str());
  EXPECT_EQ(env.DebugText(), std::u16string(1023, u'x'));
}

TEST(EnvDebug, ASinkThatFailsNeverFailsTheCaller) {
  ThrowingSink sink;
  Env env(SystemClock(), PlatformFileSystem(), sink);
  EXPECT_NO_THROW(env.Debug(u"lost"));
  EXPECT_NO_THROW(env.Debug(std::string_view("lost")));
  EXPECT_NO_THROW(env.DebugPrintf("%d", 1));
}

TEST(EnvTraffic, EachEnvCountsOnlyItsOwnTraffic) {
  testing::TestEnv first;
  testing::TestEnv second;
  first.traffic().AddSent(20);
  first.traffic().AddReceived(120, 1);
  first.traffic().AddReceived(30, 2);
  const TrafficTotals totals = first.traffic().Read();
  EXPECT_EQ(totals.bytes_sent, 20u);
  EXPECT_EQ(totals.bytes_received, 150u);
  EXPECT_EQ(totals.frames_received, 3u);
  EXPECT_EQ(second.traffic().Read().bytes_received, 0u);
}

}  // namespace
}  // namespace orra
