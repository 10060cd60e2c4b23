#include "request/develop_log.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "common/diagnostic_log.h"
#include "request/cell_messages.h"
#include "request/refresh_commands.h"
#include "testing/request_doubles.h"
#include "testing/test_env.h"

namespace orra {
namespace {
using namespace orra::testing;
namespace fs = std::filesystem;

std::string ReadFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

// The log thread is process-wide, so one test walks its whole life.
TEST(DeveloperMode, AsksOnceStartsTheLogAppendsLinesAndNeverTruncates) {
  const fs::path dir = fs::temp_directory_path() / "orra-develop-log-test";
  fs::remove_all(dir);
  fs::create_directories(dir);
  { std::ofstream(dir / "develop.log", std::ios::binary) << "earlier line\n"; }
  std::u16string directory = dir.u16string();
  directory += static_cast<char16_t>(fs::path::preferred_separator);

  TestEnv env(LocalDateTime{2026, 12, 9, 5, 40, 1, 123});
  CellMessageTable messages;
  RecordingMessageBoxes boxes;
  boxes.answer = false;
  SwitchOnDeveloperMode(boxes, directory, env, messages);
  EXPECT_FALSE(CLogThread::Instance().Started()) << "No keeps developer mode off";
  ASSERT_EQ(boxes.shown.size(), 1u);
  EXPECT_EQ(boxes.shown[0].caption, u"开发者模式");
  EXPECT_EQ(boxes.shown[0].kind, MessageKind::kYesNoInformation);
  CLogThread::Instance().Write(u"dropped: developer mode is off");

  boxes.answer = true;
  SwitchOnDeveloperMode(boxes, directory, env, messages);
  EXPECT_TRUE(CLogThread::Instance().Running());
  EXPECT_EQ(messages.Text(CellMessage::kTimeout), u"Timeout");
  CLogThread::Instance().Write(u"connect 127.0.0.1:9911 ok");
  CLogThread::Instance().Write(u"市场导航");
  CLogThread::Instance().Write(std::u16string(CLogThread::kSuppressedLine));
  DiagnosticLog(u"connect 127.0.0.1:9911 from below");

  SwitchOnDeveloperMode(boxes, directory, env, messages);
  ASSERT_EQ(boxes.shown.size(), 3u);
  EXPECT_EQ(boxes.shown[2].text, u"已开启开发者模式！");
  EXPECT_EQ(boxes.shown[2].caption, u"信息");

  CLogThread::Instance().Stop();
  EXPECT_FALSE(CLogThread::Instance().Running());
  CLogThread::Instance().Write(u"after stop: not queued");
  DiagnosticLog(u"after stop: no sink");
  const std::string log = ReadFile(dir / "develop.log");
  EXPECT_EQ(log.rfind("earlier line", 0), 0u) << "appended, not truncated";
  EXPECT_NE(log.find("\n2026-12-09 05:40:01.123 connect 127.0.0.1:9911 ok"), std::string::npos)
      << "stamped by the environment's clock";
  EXPECT_NE(log.find("\xCA\xD0\xB3\xA1\xB5\xBC\xBA\xBD"), std::string::npos) << "lines are GBK";
  EXPECT_EQ(log.find("dropped"), std::string::npos);
  EXPECT_EQ(log.find(" default"), std::string::npos) << "the suppressed line";
  EXPECT_EQ(log.find("after stop"), std::string::npos);
  EXPECT_NE(log.find(" connect 127.0.0.1:9911 from below"), std::string::npos) << "the transport's lines arrive";
  fs::remove_all(dir);
}

// Excel disconnects the add-in (which stops the log) and connects it again: developer mode is
// asked for again and its new thread writes where the new connection says.
TEST(DeveloperMode, AfterAStopItCanBeSwitchedOnAgainAndLogs) {
  const fs::path dir = fs::temp_directory_path() / "orra-develop-log-restart-test";
  fs::remove_all(dir);
  fs::create_directories(dir / "first");
  fs::create_directories(dir / "second");
  const auto directory_of = [&](const char* name) {
    std::u16string d = (dir / name).u16string();
    d += static_cast<char16_t>(fs::path::preferred_separator);
    return d;
  };
  TestEnv env(LocalDateTime{2026, 12, 9, 5, 40, 1, 123});
  RecordingMessageBoxes boxes;
  CLogThread& log = CLogThread::Instance();
  {
    CellMessageTable messages;
    ASSERT_TRUE(log.Start(directory_of("first"), env, messages));
    EXPECT_FALSE(log.Start(directory_of("second"), env, messages)) << "one thread at a time";
    log.Write(u"first connection");
    log.Stop();
    log.Stop();
  }
  EXPECT_FALSE(log.Started());

  CellMessageTable messages;  // the new connection's table
  SwitchOnDeveloperMode(boxes, directory_of("second"), env, messages);
  ASSERT_EQ(boxes.shown.size(), 1u);
  EXPECT_EQ(boxes.shown[0].kind, MessageKind::kYesNoInformation) << "asked, not told it is on";
  EXPECT_TRUE(log.Running());
  EXPECT_TRUE(messages.UsingDeveloperTexts());
  log.Write(u"second connection");
  DiagnosticLog(u"from below again");
  log.Stop();
  EXPECT_NE(ReadFile(dir / "first" / "develop.log").find(" first connection"), std::string::npos);
  const std::string second = ReadFile(dir / "second" / "develop.log");
  EXPECT_NE(second.find(" second connection"), std::string::npos);
  EXPECT_NE(second.find(" from below again"), std::string::npos);
  EXPECT_EQ(second.find("first connection"), std::string::npos);
  fs::remove_all(dir);
}

}  // namespace
}  // namespace orra
