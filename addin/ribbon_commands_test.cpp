#include "addin/ribbon_commands.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "request/develop_log.h"
#include "testing/request_doubles.h"
#include "testing/test_env.h"

namespace orra {
namespace {
using namespace orra::testing;
using ::testing::NiceMock;
using ::testing::Return;

constexpr char16_t kNotLoggedIn[] = u"星桥资管未登录，请登录后再试。";
constexpr char16_t kNoPermission[] = u"您无权限使用该功能，请联系021-64470000开通。";

class RecordingDialogThread : public DialogThread {
 public:
  bool Post(const ThreadMessage& message) override {
    posted.push_back(message);
    return true;
  }
  std::vector<ThreadMessage> posted;
};

class RecordingOpener : public DocumentOpener {
 public:
  void Open(std::u16string_view address) override { opened.emplace_back(address); }
  std::vector<std::u16string> opened;
};

class RibbonCommandsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ON_CALL(excel, ActiveSheet()).WillByDefault(Return(SheetKey(u"Sheet1")));
    tagRequest record(7);
    constexpr std::u16string_view kCaller = u"'[Book1.xlsx]Sheet1'!A1";
    std::copy(kCaller.begin(), kCaller.end(), record.caller_address);
    requests.Store(record);
    requests.SetStatus(7, RequestStatus::kAnswered);
    requests.TakeChanged();
  }
  RibbonPorts Ports(DialogThread* with_dialogs) {
    return {login, requests, boxes, opener, with_dialogs, module_directory, env, messages};
  }
  void LogIn(int32_t access = kAccessGranted) { block.LogIn("analyst", "C:\\Orra\\", access); }

  TestEnv env;
  RequestsDictionary requests{env};
  FakeLoginBlock block;
  FakeLoginStore store;
  LoginCheck login{block, store};
  RecordingMessageBoxes boxes;
  RecordingOpener opener;
  RecordingDialogThread dialogs;
  const std::u16string module_directory = u"unused/";
  CellMessageTable messages;
  NiceMock<MockExcel> excel;
  RibbonCommands commands{Ports(&dialogs)};
};

TEST_F(RibbonCommandsTest, ImageCallbacksMarkTheUserLoggedInWhateverTheyFind) {
  EXPECT_FALSE(login.Check());
  EXPECT_EQ(commands.Visible(u"id_login"), true);
  EXPECT_EQ(commands.Visible(u"id_exit"), false);

  EXPECT_EQ(commands.ImageForControl(u"no_such_control"), std::nullopt);
  EXPECT_EQ(login.State(), LoginState::kLoggedIn);
  EXPECT_EQ(commands.Visible(u"id_login"), false) << "hidden once an image was asked for";
  EXPECT_EQ(commands.Visible(u"id_exit"), true);
  EXPECT_EQ(commands.Visible(u"id_insert_function"), std::nullopt) << "left as Excel passed it";
  EXPECT_EQ(commands.Visible(u"id_login_x"), std::nullopt);

  EXPECT_FALSE(login.Check());
  EXPECT_EQ(commands.ImageForName(u"登录"), 1005);
  EXPECT_EQ(login.State(), LoginState::kLoggedIn);
  EXPECT_EQ(commands.ImageForControl(u"id_insert_function"), 1016);
}

TEST_F(RibbonCommandsTest, DialogButtonsPostToTheDialogThreadAfterAPassedCheck) {
  LogIn();
  commands.OnClickInsertFunctionEx();
  commands.OnClickInsertStock();
  ASSERT_EQ(dialogs.posted.size(), 2u);
  EXPECT_EQ(dialogs.posted[0].id, 32771u);
  EXPECT_EQ(dialogs.posted[0].wparam, 0u) << "the indicator navigator";
  EXPECT_EQ(dialogs.posted[0].lparam, 0);
  EXPECT_EQ(dialogs.posted[1].id, 32771u);
  EXPECT_EQ(dialogs.posted[1].wparam, 1u) << "the insert-code dialog";
  EXPECT_TRUE(boxes.shown.empty());
  EXPECT_EQ(store.user, u"analyst") << "the check ran";
}

TEST_F(RibbonCommandsTest, AFailedCheckShowsTheMessageOfItsStateAndPostsNothing) {
  commands.ImageForControl(u"id_insert_function");  // the state says logged in; the check does not trust it
  commands.OnClickInsertFunctionEx();
  LogIn(0);
  commands.OnClickInsertStock();
  EXPECT_TRUE(dialogs.posted.empty());
  ASSERT_EQ(boxes.shown.size(), 2u);
  EXPECT_EQ(boxes.shown[0].text, kNotLoggedIn);
  EXPECT_EQ(boxes.shown[0].caption, u"提示");
  EXPECT_EQ(boxes.shown[0].kind, MessageKind::kOk);
  EXPECT_EQ(boxes.shown[1].text, kNoPermission);
}

TEST_F(RibbonCommandsTest, WithoutADialogThreadTheButtonsStopAfterTheCheck) {
  RibbonCommands alone{Ports(nullptr)};
  alone.OnClickInsertStock();
  ASSERT_EQ(boxes.shown.size(), 1u);
  EXPECT_EQ(boxes.shown[0].text, kNotLoggedIn);
  LogIn();
  alone.OnClickInsertFunctionEx();
  alone.OnClickInsertStock();
  EXPECT_EQ(boxes.shown.size(), 1u);
  EXPECT_EQ(login.State(), LoginState::kLoggedIn);
}

TEST_F(RibbonCommandsTest, TheConnectionHandsTheButtonsTheirDialogThreadAndTheDisconnectionTakesItBack) {
  LogIn();
  RibbonCommands connected{Ports(nullptr)};
  connected.OnClickInsertFunctionEx();
  EXPECT_TRUE(dialogs.posted.empty());
  connected.Connect(nullptr, &dialogs);
  connected.OnClickInsertStock();
  ASSERT_EQ(dialogs.posted.size(), 1u) << "without an object model the dialogs still open";
  EXPECT_EQ(dialogs.posted[0].wparam, 1u);
  connected.Disconnect();
  connected.OnClickInsertFunctionEx();
  EXPECT_EQ(dialogs.posted.size(), 1u);
  EXPECT_TRUE(boxes.shown.empty());
}

TEST_F(RibbonCommandsTest, RefreshButtonsDriveExcelOnlyWhileConnected) {
  LogIn();
  EXPECT_CALL(excel, CalculateFull()).Times(1);
  EXPECT_CALL(excel, DirtySelection()).Times(1);
  EXPECT_CALL(excel, SetEnableCalculation(SheetKey(u"Sheet1"), false)).Times(2);
  EXPECT_CALL(excel, SetEnableCalculation(SheetKey(u"Sheet1"), true)).Times(2);
  commands.OnClickAllRefreshEx();  // before the connection: nothing to drive
  commands.Connect(&excel, &dialogs);
  commands.OnClickAllRefreshEx();
  EXPECT_EQ(requests.Find(7)->Status(), RequestStatus::kPending);
  commands.OnClickFormatRefreshEx();
  commands.OnClickDataRefreshEx();
  commands.OnClickRefreshEx();
  commands.Disconnect();
  commands.OnClickDataRefreshEx();
  commands.OnClickRefreshEx();
  EXPECT_TRUE(boxes.shown.empty());
}

TEST_F(RibbonCommandsTest, RefreshButtonsCheckTheLoginEvenWithoutExcel) {
  commands.OnClickDataRefreshEx();
  commands.OnClickFormatRefreshEx();
  commands.Connect(&excel, &dialogs);
  EXPECT_CALL(excel, CalculateFull()).Times(0);
  commands.OnClickAllRefreshEx();
  ASSERT_EQ(boxes.shown.size(), 3u);
  for (const auto& shown : boxes.shown) EXPECT_EQ(shown.text, kNotLoggedIn);

  EXPECT_CALL(excel, SetEnableCalculation(SheetKey(u"Sheet1"), false)).Times(1);
  EXPECT_CALL(excel, SetEnableCalculation(SheetKey(u"Sheet1"), true)).Times(1);
  commands.OnClickRefreshEx();
  EXPECT_EQ(boxes.shown.size(), 3u) << "the sheet refresh of the dispatch interface asks no login";
}

TEST_F(RibbonCommandsTest, DeveloperModeAsksBeforeSwitchingOn) {
  boxes.answer = false;
  commands.OnDevelopModeEx();
  ASSERT_EQ(boxes.shown.size(), 1u);
  EXPECT_EQ(boxes.shown[0].caption, u"开发者模式");
  EXPECT_EQ(boxes.shown[0].kind, MessageKind::kYesNoInformation);
  EXPECT_FALSE(CLogThread::Instance().Started());
  EXPECT_FALSE(messages.UsingDeveloperTexts());
}

TEST_F(RibbonCommandsTest, HelpOpensTheVendorsPageWithoutALoginCheck) {
  commands.OnButtonHelpClick();
  ASSERT_EQ(opener.opened.size(), 1u);
  EXPECT_EQ(opener.opened[0], u"http://www.zodevuruza.com/Login/public/ExcelHelp2.mht");
  EXPECT_EQ(login.State(), LoginState::kUnchecked);
  EXPECT_TRUE(boxes.shown.empty());
}

}  // namespace
}  // namespace orra
