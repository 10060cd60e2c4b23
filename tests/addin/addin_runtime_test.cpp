// The runtime as the DLL's doors drive it: the query worker from the first door, the server
// link between a connection and a disconnection, a fresh link for every connection, and a
// stop that leaves nothing running. Against the stand-in terminal's sample and the stand-in
// server on loopback.
#include "addin/addin_runtime.h"

#include <gtest/gtest.h>

#include <chrono>
#include <fstream>
#include <memory>
#include <random>
#include <string>

#include <nlohmann/json.hpp>

#include "addin/process_runtime.h"
#include "common/text_conversion.h"
#include "common/utf8.h"
#include "request/develop_log.h"
#include "request/rtd_server.h"
#include "testing/login_block_publisher.h"
#include "testing/request_doubles.h"
#include "testing/scratch_folder.h"
#include "testing/wait_until.h"
#include "tools/orra-server/stand_in_server.h"
#include "tools/orra-server/terminal_answers.h"

namespace orra {
namespace {
using Json = nlohmann::json;
using testing::WaitUntil;

std::string FirstIndicator(const Json& nodes) {
  for (const Json& n : nodes) {
    if (!n.contains("children")) return n["name"].get<std::string>();
    const std::string inner = FirstIndicator(n["children"]);
    if (!inner.empty()) return inner;
  }
  return {};
}

class AddinRuntimeTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::ifstream in(ORRA_SOURCE_DIR "/tools/orra-terminal/sample.json", std::ios::binary);
    const Json terminal = Json::parse(in);
    folder_.WriteTerminal(terminal);
    indicator_ = FirstIndicator(terminal["indicators"]["tree"]);
    ASSERT_FALSE(indicator_.empty());
    std::string error;
    ASSERT_TRUE(data_.Load(server::AnswersForTerminal(terminal, {4}), &error)) << error;
    ASSERT_TRUE(first_server_.Start(Loopback(), &error)) << error;
    ASSERT_TRUE(second_server_.Start(Loopback(), &error)) << error;
    server_port_ = first_server_.port();

    const std::string block_name = "OrraAddinRuntime" + std::to_string(std::random_device{}());
    login_block_ = PublishLoginBlock(
        block_name, EncodeLoginBlock({"runtime", ToNarrowString(folder_.directory()), kAccessGranted}), error);
    ASSERT_TRUE(login_block_) << error;

    AddinRuntime::Options options;
    options.module_directory = folder_.directory();
    options.login_block_name = block_name;
    options.profile = [this] {
      ++profiles_made_;
      ConnectionProfile profile;
      profile.SetServer("127.0.0.1", server_port_);
      return profile;
    };
    runtime_ = std::make_unique<AddinRuntime>(env_, options);
    // What the RTD object builds over the runtime.
    rtd_ = std::make_unique<RtdServer>(runtime_->requests(), runtime_->service().login(), timer_window_,
                                       &runtime_->service().variables());
  }

  void TearDown() override {
    rtd_.reset();
    runtime_.reset();
    first_server_.Stop();
    second_server_.Stop();
  }

  static server::ServerOptions Loopback() {
    server::ServerOptions options;
    options.port = 0;
    return options;
  }

  void ConnectTopic(TopicId topic) {
    const std::vector<std::u16string> topics = {u"'[runtime.xlsx]Sheet1'!A" + FromUtf8(std::to_string(topic)), u"0",
                                                u"600000", FromUtf8(indicator_)};
    ASSERT_EQ(rtd_->ConnectData(topic, topics), -1);
  }

  bool StatusBecomes(TopicId topic, RequestStatus status) {
    return WaitUntil([&] {
      const auto record = runtime_->requests().Find(topic);
      return record && record->Status() == status;
    });
  }

  testing::ScratchFolder folder_{u"addin-runtime"};
  std::string indicator_;
  server::ServerData data_;
  server::StandInServer first_server_{data_};
  server::StandInServer second_server_{data_};
  uint16_t server_port_ = 0;
  int profiles_made_ = 0;
  std::unique_ptr<LoginBlockPublisher> login_block_;
  PlatformEnv env_;
  testing::CountingTimer timer_;
  TimerWindow timer_window_{timer_};
  std::unique_ptr<AddinRuntime> runtime_;
  std::unique_ptr<RtdServer> rtd_;
};

TEST_F(AddinRuntimeTest, QueriesWaitInTheQueueUntilExcelConnectsTheAddin) {
  ConnectTopic(1);
  ASSERT_TRUE(WaitUntil([&] { return runtime_->jobs().Size() == 1; })) << "the worker runs before any connection";
  EXPECT_FALSE(runtime_->Connected());
  EXPECT_EQ(first_server_.stats().connections, 0);
  EXPECT_EQ(runtime_->requests().Find(1)->Status(), RequestStatus::kPending);

  std::string error;
  ASSERT_TRUE(runtime_->Connect(&error)) << error;
  EXPECT_TRUE(runtime_->Connected());
  EXPECT_TRUE(StatusBecomes(1, RequestStatus::kAnswered));
  EXPECT_EQ(first_server_.stats().queries, 1);
}

TEST_F(AddinRuntimeTest, EachConnectionIsBuiltAfreshAndADisconnectionEndsItAndDeveloperMode) {
  std::string error;
  ASSERT_TRUE(runtime_->Connect(&error)) << error;
  ConnectTopic(1);
  ASSERT_TRUE(StatusBecomes(1, RequestStatus::kAnswered));
  ASSERT_TRUE(CLogThread::Instance().Start(folder_.directory(), env_, runtime_->messages()));

  runtime_->Disconnect();
  EXPECT_FALSE(runtime_->Connected());
  EXPECT_FALSE(CLogThread::Instance().Started()) << "the log thread is stopped with the connection";
  EXPECT_EQ(rtd_->RefreshData(), (std::vector<TopicId>{1}));
  ASSERT_TRUE(runtime_->requests().Requeue(1));
  ASSERT_TRUE(WaitUntil([&] { return runtime_->jobs().Size() == 1; })) << "the worker outlives the connection";

  // ORRA_SERVER is read again at every connection: this one goes to the other server.
  server_port_ = second_server_.port();
  ASSERT_TRUE(runtime_->Connect(&error)) << error;
  EXPECT_TRUE(StatusBecomes(1, RequestStatus::kAnswered));
  EXPECT_EQ(profiles_made_, 2);
  EXPECT_EQ(first_server_.stats().queries, 1);
  EXPECT_EQ(second_server_.stats().queries, 1);
  EXPECT_EQ(second_server_.stats().connections, 1);
}

TEST_F(AddinRuntimeTest, AStopWithQueriesUnderWayEndsEveryThreadBeforeFreeing) {
  std::string error;
  ASSERT_TRUE(runtime_->Connect(&error)) << error;
  ASSERT_TRUE(CLogThread::Instance().Start(folder_.directory(), env_, runtime_->messages()));
  for (TopicId topic = 1; topic <= 500; ++topic) ConnectTopic(topic);
  const auto started = std::chrono::steady_clock::now();
  rtd_.reset();
  runtime_.reset();  // under ASan and TSan: no thread may touch what this frees
  EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(10));
  EXPECT_FALSE(CLogThread::Instance().Started());
}

TEST(ProcessRuntime, TheLastReleaseFreesItAndTheNextAcquireBuildsAfresh) {
  ASSERT_EQ(CurrentRuntime(), nullptr);
  AddinRuntime& first = AcquireRuntime();
  EXPECT_EQ(&AcquireRuntime(), &first) << "the second door shares it";
  first.requests().Store(tagRequest(7));
  ReleaseRuntime();
  EXPECT_EQ(CurrentRuntime(), &first) << "one door still holds it";
  ReleaseRuntime();
  EXPECT_EQ(CurrentRuntime(), nullptr);
  ReleaseRuntime();  // a door closed twice

  AddinRuntime& second = AcquireRuntime();
  EXPECT_EQ(second.requests().Size(), 0u);
  EXPECT_FALSE(second.Connected());
  // Its worker runs: without a store, an indicator is unknown.
  tagRequest record(8);
  record.indicator_name[0] = u'x';
  second.requests().Queue(record);
  EXPECT_TRUE(WaitUntil([&] { return second.requests().Find(8)->Status() == RequestStatus::kNoIndicator; }));
  ReleaseRuntime();
  EXPECT_EQ(CurrentRuntime(), nullptr);
}

TEST(ProcessRuntime, ASharedHoldKeepsItPastTheDoorsLastReleaseAndFreesItWithItsLastCopy) {
  ASSERT_EQ(CurrentRuntime(), nullptr);
  AddinRuntime& door = AcquireRuntime();
  std::shared_ptr<AddinRuntime> held = ShareRuntime();
  EXPECT_EQ(held.get(), &door) << "shared, not built afresh";
  std::shared_ptr<AddinRuntime> copy = held;
  ReleaseRuntime();
  EXPECT_EQ(CurrentRuntime(), &door) << "the door closed; the hold keeps it";
  held.reset();
  EXPECT_EQ(CurrentRuntime(), &door) << "one copy left";
  copy.reset();
  EXPECT_EQ(CurrentRuntime(), nullptr);
}

}  // namespace
}  // namespace orra
