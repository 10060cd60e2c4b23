#include "request/recent_login_check.h"

#include <gtest/gtest.h>

#include "testing/request_doubles.h"
#include "testing/test_env.h"

namespace orra {
namespace {
using namespace orra::testing;

class RecentLoginCheckTest : public ::testing::Test {
 protected:
  TestEnv env;
  FakeLoginBlock block;
  FakeLoginStore store;
  LoginCheck check{block, store};
  RecentLoginCheck recent{check, env.clock()};
};

TEST_F(RecentLoginCheckTest, OneCheckServesTheBoundThenTheTerminalIsReadAgain) {
  block.LogIn("trader", "C:\\orra\\");
  EXPECT_TRUE(recent.Check());
  EXPECT_EQ(store.loads, 1);

  block.result = LoginBlockReader::Result::kMissing;  // logged out at the terminal
  env.manual_clock().Advance(RecentLoginCheck::kReuseMs - 1);
  EXPECT_TRUE(recent.Check()) << "within the bound the last outcome stands";
  EXPECT_EQ(store.clears, 0) << "and the block was not read";

  env.manual_clock().Advance(1);
  EXPECT_FALSE(recent.Check()) << "the first check after the bound sees the logout";
  EXPECT_EQ(recent.State(), LoginState::kNotLoggedIn);
  EXPECT_EQ(store.clears, 1);

  block.LogIn("trader", "C:\\orra\\", 0);
  env.manual_clock().Advance(RecentLoginCheck::kReuseMs / 2);
  EXPECT_FALSE(recent.Check());
  EXPECT_EQ(recent.State(), LoginState::kNotLoggedIn);
  env.manual_clock().Advance(RecentLoginCheck::kReuseMs);
  EXPECT_FALSE(recent.Check());
  EXPECT_EQ(recent.State(), LoginState::kNoPermission) << "a refusal names its reason from the new check";
}

TEST_F(RecentLoginCheckTest, TheUnderlyingCheckStaysFreshForTheRibbon) {
  block.LogIn("trader", "C:\\orra\\");
  EXPECT_TRUE(recent.Check());
  block.result = LoginBlockReader::Result::kMissing;
  EXPECT_FALSE(check.Check()) << "a ribbon command reads the block each time";
  EXPECT_EQ(recent.State(), LoginState::kNotLoggedIn);
}

TEST_F(RecentLoginCheckTest, AClockThatWentBackChecksAgain) {
  env.manual_clock().Advance(10 * RecentLoginCheck::kReuseMs);
  EXPECT_FALSE(recent.Check());
  block.LogIn("trader", "C:\\orra\\");
  env.manual_clock().Advance(-5 * RecentLoginCheck::kReuseMs);
  EXPECT_TRUE(recent.Check());
}

}  // namespace
}  // namespace orra
