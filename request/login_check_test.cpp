#include "request/login_check.h"

#include <gtest/gtest.h>

#include "common/text_conversion.h"
#include "testing/login_block_publisher.h"
#include "testing/request_doubles.h"

namespace orra {
namespace {
using namespace orra::testing;

class LoginCheckTest : public ::testing::Test {
 protected:
  FakeLoginBlock block;
  FakeLoginStore store;
  LoginCheck check{block, store};
};

TEST_F(LoginCheckTest, NoBlockMeansNotLoggedInAndTheStoreForgets) {
  EXPECT_EQ(check.State(), LoginState::kUnchecked);
  EXPECT_FALSE(check.Check());
  EXPECT_EQ(check.State(), LoginState::kNotLoggedIn);
  EXPECT_EQ(store.clears, 1);
  block.result = LoginBlockReader::Result::kMapFailed;
  EXPECT_FALSE(check.Check());
  EXPECT_EQ(check.State(), LoginState::kNotLoggedIn);
  EXPECT_EQ(store.clears, 2);
  EXPECT_EQ(LoginMessage(check.State()), u"星桥资管未登录，请登录后再试。");
}

TEST_F(LoginCheckTest, AccessOtherThanOneIsNoPermissionAndKeepsTheStore) {
  block.LogIn("trader", "C:\\orra\\", 0);
  EXPECT_FALSE(check.Check());
  EXPECT_EQ(check.State(), LoginState::kNoPermission);
  EXPECT_EQ(store.clears, 0);
  EXPECT_EQ(store.loads, 0);
  EXPECT_EQ(LoginMessage(check.State()), u"您无权限使用该功能，请联系021-64470000开通。");
  EXPECT_TRUE(LoginMessage(LoginState::kLoggedIn).empty());
}

TEST_F(LoginCheckTest, LoginLoadsTheStoreOnceAndSetsTheUserEachTime) {
  block.LogIn(ToNarrowString(u"张三"), ToNarrowString(u"D:\\终端\\"));
  EXPECT_TRUE(check.Check());
  EXPECT_EQ(check.State(), LoginState::kLoggedIn);
  EXPECT_EQ(store.loaded_from, u"D:\\终端\\");
  EXPECT_EQ(store.user, u"张三");
  block.LogIn("lisi", "E:\\other\\");
  EXPECT_TRUE(check.Check());
  EXPECT_EQ(store.loads, 1) << "a loaded store is not loaded again";
  EXPECT_EQ(store.user, u"lisi");

  // Logging out and in again reloads, from the directory the block names now.
  block.result = LoginBlockReader::Result::kMissing;
  check.Check();
  block.LogIn("lisi", "E:\\other\\");
  EXPECT_TRUE(check.Check());
  EXPECT_EQ(store.loads, 2);
  EXPECT_EQ(store.loaded_from, u"E:\\other\\");
}

TEST(LoginBlock, FieldsStayWithinTheirWidths) {
  LoginBlock wide{std::string(300, 'u'), std::string(300, 'd'), 1};
  const LoginBlockBytes bytes = EncodeLoginBlock(wide);
  const LoginBlock back = DecodeLoginBlock(bytes);
  EXPECT_EQ(back.user_gbk, std::string(127, 'u'));
  EXPECT_EQ(back.directory_gbk, std::string(255, 'd'));
  EXPECT_EQ(back.access, 1);

  LoginBlockBytes unterminated;
  unterminated.fill('x');
  const LoginBlock read = DecodeLoginBlock(unterminated);
  EXPECT_EQ(read.user_gbk.size(), 128u) << "a missing terminator ends at the field";
  EXPECT_EQ(read.directory_gbk.size(), 256u);
}

}  // namespace
}  // namespace orra

namespace orra {
namespace {

// The platform's named shared memory, under a name of the test's own.
TEST(LoginBlockSharedMemory, PublishedBlockIsReadUntilItIsWithdrawn) {
  const std::string name = "OrraLoginTest" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
                           std::to_string(reinterpret_cast<uintptr_t>(&name) & 0xFFFF);
  auto reader = MakeLoginBlockReader(name);
  LoginBlockBytes bytes{};
  EXPECT_EQ(reader->Read(bytes), LoginBlockReader::Result::kMissing);
  std::string error;
  {
    auto published = PublishLoginBlock(name, EncodeLoginBlock({"trader", "C:\\data\\", 1}), error);
    ASSERT_TRUE(published) << error;
    ASSERT_EQ(reader->Read(bytes), LoginBlockReader::Result::kOk);
    EXPECT_EQ(DecodeLoginBlock(bytes).user_gbk, "trader");
    published->Update(EncodeLoginBlock({"trader", "C:\\data\\", 0}));
    ASSERT_EQ(reader->Read(bytes), LoginBlockReader::Result::kOk);
    EXPECT_EQ(DecodeLoginBlock(bytes).access, 0);
  }
  EXPECT_EQ(reader->Read(bytes), LoginBlockReader::Result::kMissing);
}

}  // namespace
}  // namespace orra
