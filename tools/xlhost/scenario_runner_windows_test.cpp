#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>

#include "tools/xlhost/rtd_test_doubles.h"
#include "tools/xlhost/scenario_runner.h"

namespace orra::xlhost {
namespace {

constexpr uint32_t kGrey = 0xF0F0F0;
constexpr uint32_t kWhite = 0xFFFFFF;

// Windows as the test sets them up; every action is recorded as one line.
class FakeWindowDriver final : public WindowDriver {
 public:
  std::map<std::u16string, WindowPresence> windows;
  std::map<int32_t, std::u16string> texts;  // of the controls of every window
  std::vector<std::u16string> column;
  std::optional<WindowPicture> picture;
  std::vector<std::string> actions;
  std::function<void()> on_presence;

  WindowPresence Presence(const std::u16string& caption) override {
    if (on_presence) on_presence();
    const auto found = windows.find(caption);
    return found == windows.end() ? WindowPresence::kAbsent : found->second;
  }
  bool SetText(const ControlAddress& control, const std::u16string& text, std::string& error) override {
    if (!Known(control, error)) return false;
    texts[control.id] = text;
    return Record("set " + std::to_string(control.id));
  }
  bool Type(const ControlAddress& control, const std::u16string& text, std::string& error) override {
    if (!Known(control, error)) return false;
    texts[control.id] += text;
    return Record("type " + std::to_string(control.id));
  }
  bool Key(const ControlAddress& control, uint16_t virtual_key, std::string& error) override {
    return Known(control, error) && Record("key " + std::to_string(virtual_key));
  }
  bool Press(const ControlAddress& control, std::string& error) override {
    return Known(control, error) && Record("press " + std::to_string(control.id));
  }
  bool Choose(const ControlAddress& control, const std::u16string& item, std::string& error) override {
    return Known(control, error) && Record("choose " + std::to_string(item.size()));
  }
  bool SelectTreeItem(const ControlAddress& control, const std::vector<std::u16string>& path, bool double_click,
                      std::string& error) override {
    return Known(control, error) &&
           Record(std::string(double_click ? "open " : "select ") + std::to_string(path.size()));
  }
  bool SelectRows(const ControlAddress& control, const std::vector<std::u16string>& rows, std::string& error) override {
    return Known(control, error) && Record("rows " + std::to_string(rows.size()));
  }
  std::optional<std::u16string> Text(const ControlAddress& control, std::string& error) override {
    if (!Known(control, error)) return std::nullopt;
    return texts[control.id];
  }
  std::optional<bool> Checked(const ControlAddress& control, std::string& error) override {
    if (!Known(control, error)) return std::nullopt;
    return texts[control.id] == u"checked";
  }
  std::optional<std::vector<std::u16string>> ColumnTexts(const ControlAddress& control, int32_t,
                                                         std::string& error) override {
    if (!Known(control, error)) return std::nullopt;
    return column;
  }
  std::optional<WindowPicture> Capture(const std::u16string& caption, std::string& error) override {
    if (Presence(caption) != WindowPresence::kVisible || !picture) {
      error = "no visible window";
      return std::nullopt;
    }
    return picture;
  }

 private:
  bool Known(const ControlAddress& control, std::string& error) {
    if (Presence(control.caption) == WindowPresence::kVisible) return true;
    error = "no visible window with that caption";
    return false;
  }
  bool Record(std::string action) {
    actions.push_back(std::move(action));
    return true;
  }
};

class ScenarioRunnerWindowsTest : public ::testing::Test {
 protected:
  ScenarioRunnerWindowsTest() {
    runner_.set_window_driver(&driver_);
    folder_ = std::filesystem::temp_directory_path() /
              ("xlhost_screens_" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
    std::filesystem::remove_all(folder_);
    runner_.set_screenshot_folder(folder_.string());
  }
  ~ScenarioRunnerWindowsTest() override { std::filesystem::remove_all(folder_); }

  int Run(const std::string& text) {
    std::string error;
    const auto steps = ParseScenario(text, error);
    EXPECT_TRUE(steps) << error;
    return steps ? runner_.Run(*steps) : -1;
  }

  // A dialog of 20 by 20 with a frame of 2 around a grey client area; `drawn` pixels of it white.
  void SetPicture(int drawn) {
    WindowPicture shot{Picture{20, 20, std::vector<uint32_t>(400, 0x000080)}, PictureArea{2, 2, 16, 16}};
    for (int y = 2; y < 18; ++y) {
      for (int x = 2; x < 18; ++x) shot.picture.pixels[static_cast<size_t>(y * 20 + x)] = kGrey;
    }
    for (int i = 0; i < drawn; ++i) shot.picture.pixels[static_cast<size_t>((2 + i / 16) * 20 + 2 + i % 16)] = kWhite;
    driver_.picture = shot;
  }

  std::ostringstream out_;
  FakeRtdServerFactory rtd_servers_;
  FakeHostProcess host_;
  FakeWindowDriver driver_;
  std::filesystem::path folder_;
  ScenarioRunner runner_{[](const std::string&, std::string& error) -> std::unique_ptr<XllModule> {
                           error = "no XLL in these tests";
                           return nullptr;
                         },
                         "fake.xll", "test.txt", out_, rtd_servers_, host_};
};

TEST_F(ScenarioRunnerWindowsTest, WaitWindowPumpsUntilTheWindowShowsOrTheTimeIsUp) {
  // The window appears once the main thread has been pumped for 100 ms.
  driver_.on_presence = [this] {
    if (host_.now_ms >= 100) driver_.windows[u"对话"] = WindowPresence::kVisible;
  };
  EXPECT_EQ(Run("wait-window \"对话\" 1000\n"), 0) << out_.str();
  EXPECT_GE(host_.now_ms, 100);
  EXPECT_LT(host_.now_ms, 1000) << "it stopped waiting once the window showed";

  driver_.on_presence = nullptr;
  driver_.windows[u"隐藏"] = WindowPresence::kHidden;
  const int64_t before = host_.now_ms;
  EXPECT_EQ(Run("wait-window \"隐藏\" 300\n"), 1) << "failures add up over the runs of one runner";
  EXPECT_EQ(host_.now_ms - before, 300);
  EXPECT_NE(out_.str().find("after 300 ms the window is hidden"), std::string::npos) << out_.str();
}

TEST_F(ScenarioRunnerWindowsTest, AnActiveWindowIsVisibleButAVisibleOneIsNotActive) {
  driver_.windows[u"前"] = WindowPresence::kActive;
  driver_.windows[u"后"] = WindowPresence::kVisible;
  EXPECT_EQ(Run("wait-window \"前\" 100\nwait-window \"前\" 100 active\nexpect-window \"前\" visible\n"
                "expect-window \"前\" active\n"),
            0)
      << out_.str();
  EXPECT_EQ(Run("expect-window \"后\" active\n"), 1);
  EXPECT_NE(out_.str().find("the window is visible"), std::string::npos) << out_.str();
  EXPECT_EQ(Run("wait-window \"后\" 50 active\n"), 2);
  EXPECT_NE(out_.str().find("after 50 ms the window is visible"), std::string::npos) << out_.str();
  EXPECT_EQ(Run("expect-window \"前\" hidden\n"), 3);
  EXPECT_NE(out_.str().find("the window is active"), std::string::npos) << out_.str();
}

TEST_F(ScenarioRunnerWindowsTest, ActionsReachTheDriverAndTheirFailuresAreReportedWithTheLine) {
  driver_.windows[u"D"] = WindowPresence::kVisible;
  driver_.column = {u"甲", u"乙"};
  const std::string scenario =
      "set-text \"D\" 5 \"ab\"\ntype \"D\" 5 \"c\"\nkey \"D\" 5 RETURN\npress \"D\" 1\nchoose \"D\" 6 \"xy\"\n"
      "select-tree \"D\" 7 \"a\" \"b\"\ndouble-click-tree \"D\" 7 \"a\"\nselect-rows \"D\" 8 \"甲\"\n"
      "expect-text \"D\" 5 \"abc\"\nexpect-rows \"D\" 8 0 \"甲\" \"乙\"\nexpect-window \"D\" visible\n"
      "expect-window \"E\" absent\n";
  EXPECT_EQ(Run(scenario), 0) << out_.str();
  EXPECT_EQ(driver_.actions, (std::vector<std::string>{"set 5", "type 5", "key 13", "press 1", "choose 2", "select 2",
                                                       "open 1", "rows 1"}));

  EXPECT_EQ(Run("press \"E\" 1\nexpect-text \"D\" 5 \"abd\"\nexpect-rows \"D\" 8 0 \"甲\"\n"
                "expect-window \"D\" hidden\nexpect-checked \"D\" 9 TRUE\n"),
            5);
  const std::string out = out_.str();
  EXPECT_NE(out.find("test.txt:1: press \"E\" 1\n    failed: no visible window"), std::string::npos) << out;
  EXPECT_NE(out.find("test.txt:2: expect-text \"D\" 5 \"abd\"\n    failed: the control shows \"abc\""),
            std::string::npos) << out;
  EXPECT_NE(out.find("failed: the column holds \"甲\" \"乙\""), std::string::npos) << out;
  EXPECT_NE(out.find("failed: the window is visible"), std::string::npos) << out;
  EXPECT_NE(out.find("failed: it is not checked"), std::string::npos) << out;
}

TEST_F(ScenarioRunnerWindowsTest, AScreenshotIsWrittenAndFailsWhenNothingIsDrawnInTheClientArea) {
  driver_.windows[u"D"] = WindowPresence::kVisible;
  SetPicture(3);  // 3 of 256 client pixels: 1.2 %
  EXPECT_EQ(Run("screenshot \"D\" drawn.png\n"), 0) << out_.str();
  std::ifstream drawn(folder_ / "drawn.png", std::ios::binary);
  char signature[4] = {};
  drawn.read(signature, 4);
  EXPECT_EQ(std::string(signature + 1, 3), "PNG");
  EXPECT_NE(out_.str().find("1.2 % of the client area drawn"), std::string::npos) << out_.str();

  // The frame differs from the client area, but only the client area counts.
  SetPicture(2);  // 0.8 %
  EXPECT_EQ(Run("screenshot \"D\" empty.png\n"), 1);
  EXPECT_NE(out_.str().find("only 0.8 % of the window's client area differs"), std::string::npos) << out_.str();
  EXPECT_TRUE(std::filesystem::exists(folder_ / "empty.png")) << "kept, to show what was seen";

  // Failures add up over the runs of one runner.
  driver_.picture->picture.pixels.pop_back();
  EXPECT_EQ(Run("screenshot \"D\" broken.png\n"), 2);
  EXPECT_NE(out_.str().find("cannot be written as PNG"), std::string::npos) << out_.str();
  EXPECT_EQ(Run("screenshot \"Missing\" none.png\n"), 3);
  EXPECT_FALSE(std::filesystem::exists(folder_ / "none.png"));
}

TEST_F(ScenarioRunnerWindowsTest, WindowStepsFailWithoutADriverOrAFolder) {
  runner_.set_screenshot_folder("");
  driver_.windows[u"D"] = WindowPresence::kVisible;
  SetPicture(100);
  EXPECT_EQ(Run("screenshot \"D\" a.png\n"), 1);
  EXPECT_NE(out_.str().find("no screenshot folder"), std::string::npos) << out_.str();
  runner_.set_window_driver(nullptr);
  EXPECT_EQ(Run("wait-window \"D\" 10\npress \"D\" 1\nexpect-window \"D\" visible\n"), 4);
  EXPECT_NE(out_.str().find("drives no windows"), std::string::npos) << out_.str();
}

}  // namespace
}  // namespace orra::xlhost
