#include "request/refresh_commands.h"

#include <gtest/gtest.h>

#include "testing/request_doubles.h"
#include "testing/test_env.h"

namespace orra {
namespace {
using namespace orra::testing;
using ::testing::_;
using ::testing::NiceMock;
using ::testing::Return;

constexpr char16_t kA1[] = u"'[Book1.xlsx]Sheet1'!A1";
constexpr char16_t kB2[] = u"'[Book1.xlsx]Sheet1'!B2";
constexpr char16_t kOther[] = u"'[Book1.xlsx]Sheet2'!A1";
constexpr char16_t kGone[] = u"'[Book1.xlsx]Deleted'!A1";

class RefreshCommandsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Add(1, kA1);
    Add(2, kB2);
    Add(3, kOther);
    Add(4, kGone);
    // Answered and reported: ready to be refreshed.
    for (int32_t t = 1; t <= 4; ++t) requests.SetStatus(t, RequestStatus::kAnswered);
    requests.TakeChanged();
    ON_CALL(excel, ActiveSheet()).WillByDefault(Return(SheetKey(u"[Book1.xlsx]Sheet1")));
    ON_CALL(excel, SheetOf(_)).WillByDefault([](std::u16string_view a) -> std::optional<SheetKey> {
      if (a == kGone) return std::nullopt;
      return SheetKey(a.substr(1, a.find(u'\'', 1) - 1));
    });
    ON_CALL(excel, SelectionIntersects(_)).WillByDefault([](std::u16string_view a) -> std::optional<bool> {
      return a == kB2;
    });
  }
  void Add(int32_t topic, const char16_t* address) {
    tagRequest r(topic);
    std::copy_n(address, std::char_traits<char16_t>::length(address), r.caller_address);
    requests.Store(r);
  }
  RequestStatus StatusOf(int32_t topic) { return requests.Find(topic)->Status(); }

  testing::TestEnv env;
  RequestsDictionary requests{env};
  NiceMock<MockExcel> excel;
  ScriptedLogin login;
  RecordingMessageBoxes boxes;
  RefreshCommands commands{requests, excel, login, boxes};
};

TEST_F(RefreshCommandsTest, ActiveSheetRequeuesOnlyItsOwnRequests) {
  EXPECT_CALL(excel, SetEnableCalculation(SheetKey(u"[Book1.xlsx]Sheet1"), false)).Times(2);
  EXPECT_CALL(excel, SetEnableCalculation(SheetKey(u"[Book1.xlsx]Sheet1"), true)).Times(2);
  commands.OnClickDataRefreshEx();
  EXPECT_EQ(commands.LastRequeued(), 2u);
  EXPECT_EQ(StatusOf(1), RequestStatus::kPending);
  EXPECT_EQ(StatusOf(2), RequestStatus::kPending);
  EXPECT_EQ(StatusOf(3), RequestStatus::kAnswered) << "another sheet keeps its value";
  EXPECT_EQ(StatusOf(4), RequestStatus::kAnswered);

  commands.OnClickRefreshEx();
  EXPECT_EQ(commands.LastRequeued(), 0u) << "still pending: not sent twice";
  EXPECT_EQ(login.checks, 1) << "OnClickRefreshEx has no login check";
}

TEST_F(RefreshCommandsTest, SelectionRequeuesRequestsInsideIt) {
  EXPECT_CALL(excel, DirtySelection());
  commands.OnClickFormatRefreshEx();
  EXPECT_EQ(commands.LastRequeued(), 1u);
  EXPECT_EQ(StatusOf(1), RequestStatus::kAnswered) << "outside the selection";
  EXPECT_EQ(StatusOf(2), RequestStatus::kPending);
}

TEST_F(RefreshCommandsTest, EverythingIncludesAddressesExcelCannotResolve) {
  EXPECT_CALL(excel, CalculateFull());
  commands.OnClickAllRefreshEx();
  EXPECT_EQ(commands.LastRequeued(), 4u);
  EXPECT_EQ(StatusOf(4), RequestStatus::kPending);
}

TEST_F(RefreshCommandsTest, FailedLoginShowsItsMessageAndDoesNothing) {
  login.state = LoginState::kNoPermission;
  EXPECT_CALL(excel, CalculateFull()).Times(0);
  commands.OnClickAllRefreshEx();
  login.state = LoginState::kNotLoggedIn;
  commands.OnClickDataRefreshEx();
  ASSERT_EQ(boxes.shown.size(), 2u);
  EXPECT_EQ(boxes.shown[0].text, u"您无权限使用该功能，请联系021-64470000开通。");
  EXPECT_EQ(boxes.shown[1].text, u"星桥资管未登录，请登录后再试。");
  EXPECT_EQ(boxes.shown[1].caption, u"提示");
  EXPECT_EQ(StatusOf(1), RequestStatus::kAnswered);
}

}  // namespace
}  // namespace orra
