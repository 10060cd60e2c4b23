#include "tools/xlhost/scenario_runner.h"

#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <sstream>

#include "testing/xloper_values.h"
#include "tools/xlhost/rtd_test_doubles.h"

namespace orra::xlhost {
namespace {

using Function = std::function<XLOPER12*(std::span<XLOPER12* const, kMaxFunctionArguments>)>;

// An XLL whose entries are functions of the test; what it was asked is kept in the test.
struct FakeXll {
  std::map<std::string, std::function<int()>> auto_entries;
  std::map<std::string, Function> functions;
  std::vector<XLOPER12*> auto_freed;
  bool exports_auto_free = true;
  std::vector<std::string> entries_run;
};

class FakeModule final : public XllModule {
 public:
  explicit FakeModule(FakeXll& xll) : xll_(xll) {}
  std::optional<int> RunAutoEntry(const char* name) override {
    xll_.entries_run.push_back(name);
    const auto found = xll_.auto_entries.find(name);
    if (found == xll_.auto_entries.end()) return std::nullopt;
    return found->second();
  }
  bool ExportsFunction(std::string_view name) override {
    return xll_.functions.count(std::string(name)) == 1;
  }
  XLOPER12* CallFunction(std::string_view name,
                         std::span<XLOPER12* const, kMaxFunctionArguments> arguments) override {
    return xll_.functions.at(std::string(name))(arguments);
  }
  bool AutoFree(XLOPER12* result) override {
    if (!xll_.exports_auto_free) return false;
    xll_.auto_freed.push_back(result);
    return true;
  }

 private:
  FakeXll& xll_;
};

class ScenarioRunnerTest : public ::testing::Test {
 protected:
  ScenarioRunnerTest() {
    xll_.auto_entries["xlAutoOpen"] = [] { return 1; };
    xll_.auto_entries["xlAutoClose"] = [] { return 1; };
  }

  int Run(const std::string& text) {
    std::string error;
    const auto steps = ParseScenario(text, error);
    EXPECT_TRUE(steps) << error;
    return steps ? runner_.Run(*steps) : -1;
  }
  int32_t Excel(int32_t function, XLOPER12& result, std::initializer_list<const XLOPER12*> args) {
    return runner_.api().Call(function, result, std::span<const XLOPER12* const>(args.begin(), args.size()));
  }

  FakeXll xll_;
  std::ostringstream out_;
  FakeRtdServerFactory rtd_servers_;
  FakeHostProcess host_;
  ScenarioRunner runner_{[this](const std::string& path, std::string& error) -> std::unique_ptr<XllModule> {
                           if (path != "fake.xll") {
                             error = "no such file";
                             return nullptr;
                           }
                           return std::make_unique<FakeModule>(xll_);
                         },
                         "fake.xll", "test.txt", out_, rtd_servers_, host_};
  XLOPER12 result_{};
};

TEST_F(ScenarioRunnerTest, PassesArgumentsAsExcelDoesForQTypes) {
  std::vector<uint32_t> types;
  std::u16string text;
  double referenced = 0;
  xll_.functions["F"] = [&](auto arguments) {
    for (XLOPER12* argument : arguments) types.push_back(argument->xltype);
    text.assign(arguments[0]->val.str + 1, arguments[0]->val.str[0]);
    referenced = arguments[2]->val.num;
    result_ = XlNumber(7);
    return &result_;
  };
  EXPECT_EQ(Run("open\nset A1 5\nset B1 =f(\"ab\", , A1, C9, TRUE)\ncalc\nexpect B1 7\n"), 0) << out_.str();
  ASSERT_EQ(types.size(), kMaxFunctionArguments);
  EXPECT_EQ(types[0], xltypeStr);
  EXPECT_EQ(text, u"ab");
  EXPECT_EQ(types[1], xltypeMissing);
  EXPECT_EQ(types[2], xltypeNum) << "a reference arrives as the cell's value";
  EXPECT_EQ(referenced, 5);
  EXPECT_EQ(types[3], xltypeNil) << "an empty cell";
  EXPECT_EQ(types[4], xltypeBool);
  EXPECT_EQ(types[5], xltypeMissing) << "beyond the formula's arguments";
  EXPECT_EQ(types[20], xltypeMissing);
}

TEST_F(ScenarioRunnerTest, ARegisteredNameCallsItsProcedure) {
  xll_.auto_entries["xlAutoOpen"] = [this] {
    XLOPER12 name{}, id{};
    Excel(xlGetName, name, {});
    const XlText procedure(u"Impl"), type(u"QQ"), function(u"Shown");
    Excel(xlfRegister, id, {&name, procedure.get(), type.get(), function.get()});
    Excel(xlFree, id, {&name});
    return 1;
  };
  xll_.functions["Impl"] = [&](auto) {
    result_ = XlBool(true);
    return &result_;
  };
  EXPECT_EQ(Run("open\nset A1 =SHOWN()\nset A2 =Nope()\ncalc\nexpect A1 TRUE\nexpect A2 \"#NAME?\"\n"
                "expect-registered Shown \"QQ\" \"\"\n"),
            0)
      << out_.str();
}

TEST_F(ScenarioRunnerTest, NoResultShowsNumErrorAndNoValueShowsZero) {
  xll_.functions["NULL"] = [](auto) -> XLOPER12* { return nullptr; };
  xll_.functions["NIL"] = [&](auto) {
    result_ = XlOfType(xltypeNil);
    return &result_;
  };
  EXPECT_EQ(Run("open\nset A1 =NULL()\nset A2 =NIL()\ncalc\nexpect A1 \"#NUM!\"\nexpect A2 0\n"), 0)
      << out_.str();
}

TEST_F(ScenarioRunnerTest, HonoursBothFreeBits) {
  XlText own(u"mine");
  XLOPER12 dll_result = own.value();
  dll_result.xltype |= xlbitDLLFree;
  xll_.functions["DLL"] = [&](auto) { return &dll_result; };
  xll_.functions["HOST"] = [&](auto) {
    Excel(xlGetName, result_, {});
    result_.xltype |= xlbitXLFree;
    return &result_;
  };
  EXPECT_EQ(Run("open\nset A1 =DLL()\nset A2 =HOST()\ncalc\nexpect A1 \"mine\"\nexpect A2 \"fake.xll\"\n"
                "expect-allocations 0\n"),
            0)
      << out_.str();
  EXPECT_EQ(xll_.auto_freed, std::vector<XLOPER12*>{&dll_result});
}

TEST_F(ScenarioRunnerTest, ADllFreeResultWithoutXlAutoFree12IsAFailure) {
  XlText own(u"mine");
  XLOPER12 dll_result = own.value();
  dll_result.xltype |= xlbitDLLFree;
  xll_.functions["DLL"] = [&](auto) { return &dll_result; };
  xll_.exports_auto_free = false;
  EXPECT_EQ(Run("open\nset C2 =DLL()\ncalc\n"), 1);
  EXPECT_NE(out_.str().find("C2: the result asks for xlAutoFree12"), std::string::npos) << out_.str();
}

TEST_F(ScenarioRunnerTest, ReportsEveryFailedExpectationWithLineCellAndWhatWasSeen) {
  xll_.functions["F"] = [&](auto) {
    result_ = XlNumber(1);
    return &result_;
  };
  EXPECT_EQ(Run("open\nset B3 =F()\ncalc\nexpect B3 \"Fetching...\"\nexpect B3 2\n"
                "expect-rtd B3 \"P\" \"\" \"t\"\nexpect-registered XDP \"Q\" \"a\"\n"
                "expect-status \"hello\"\n"),
            5);
  const std::string out = out_.str();
  EXPECT_NE(out.find("test.txt:4: expect B3 \"Fetching...\"\n    failed: the cell shows the number 1"),
            std::string::npos)
      << out;
  EXPECT_NE(out.find("test.txt:5: expect B3 2"), std::string::npos);
  EXPECT_NE(out.find("failed: the cell called no xlfRtd"), std::string::npos);
  EXPECT_NE(out.find("failed: it is not registered"), std::string::npos);
  EXPECT_NE(out.find("failed: the status bar showed nothing"), std::string::npos);
}

TEST_F(ScenarioRunnerTest, AnXllThatDoesNotOpenStopsTheRun) {
  xll_.auto_entries["xlAutoOpen"] = [] { return 0; };
  EXPECT_EQ(Run("open\nexpect A1 1\n"), 1);
  EXPECT_NE(out_.str().find("xlAutoOpen answered 0, not 1"), std::string::npos) << out_.str();
}

TEST_F(ScenarioRunnerTest, AnXllThatCannotBeLoadedStopsTheRun) {
  EXPECT_EQ(Run("open missing.xll\nexpect A1 1\n"), 1);
  EXPECT_NE(out_.str().find("test.txt:1: open missing.xll\n    failed: cannot load missing.xll: no such file"),
            std::string::npos)
      << out_.str();
}

TEST_F(ScenarioRunnerTest, ClosesAnOpenXllAtTheEndAndReportsALeak) {
  xll_.functions["LEAK"] = [&](auto) {
    XLOPER12 name{};
    Excel(xlGetName, name, {});
    result_ = XlNumber(1);
    return &result_;
  };
  EXPECT_EQ(Run("open\nset A1 =LEAK()\ncalc\nexpect-allocations 1\n"), 1);
  EXPECT_EQ(xll_.entries_run, (std::vector<std::string>{"xlAutoOpen", "xlAutoClose"}));
  EXPECT_NE(out_.str().find("leak: 1 blocks of C API results were never given back"), std::string::npos)
      << out_.str();
}

TEST_F(ScenarioRunnerTest, RemoveAndCloseRunTheirEntries) {
  xll_.auto_entries["xlAutoRemove"] = [] { return 1; };
  EXPECT_EQ(Run("open\nremove\nclose\nremove\n"), 1) << "nothing is open for the last one";
  EXPECT_EQ(xll_.entries_run, (std::vector<std::string>{"xlAutoOpen", "xlAutoRemove", "xlAutoClose"}));
}

// A worksheet function that calls RTD with its one text argument as the topic and shows what
// RTD answers, as the add-in's functions do with their topic lists; counts its evaluations.
class RtdScenarioTest : public ScenarioRunnerTest {
 protected:
  RtdScenarioTest() {
    rtd_servers_.servers[u"Orra.Rtd"];
    xll_.functions["LIVE"] = [this](auto arguments) {
      ++evaluations_;
      const XlText prog_id(u"Orra.Rtd"), server(u"");
      Excel(xlfRtd, result_, {prog_id.get(), server.get(), arguments[0]});
      result_.xltype |= xlbitXLFree;
      return &result_;
    };
  }
  FakeRtdServerState& server() { return rtd_servers_.servers.at(u"Orra.Rtd"); }

  int evaluations_ = 0;
};

TEST_F(RtdScenarioTest, AWaitRefreshesWhenTheServerAsksAndEvaluatesTheCellsOfItsTopicsAgain) {
  // The server asks for a refresh 500 ms into the wait; its report names A1's topic only.
  host_.on_pump = [this] {
    if (host_.now_ms < 500 || server().refreshes > 0) return;
    server().update_notified = true;
    server().next_refresh = std::vector<TopicUpdate>{{server().connected.at(0).first, 12.5}};
  };
  EXPECT_EQ(Run("open\nset A1 =LIVE(\"close\")\nset A2 =LIVE(\"open\")\ncalc\nexpect A1 -1\n"
                "expect-topics 2\nwait-until A1 12.5 3000\nexpect A2 -1\nexpect-rtd-value A1 12.5\n"
                "expect-rtd-value A2 -1\nexpect-allocations 0\n"),
            0)
      << out_.str();
  EXPECT_EQ(evaluations_, 3) << "A1 once more, A2 not";
  EXPECT_EQ(server().refreshes, 1);
  EXPECT_GE(host_.now_ms, 500);
  EXPECT_LT(host_.now_ms, 600) << "wait-until stops as soon as the cell shows the value";
}

TEST_F(RtdScenarioTest, TheThrottleHoldsASecondRefreshBack) {
  host_.on_pump = [this] { server().update_notified = true; };
  EXPECT_EQ(Run("throttle 1000\nopen\nset A1 =LIVE(\"close\")\ncalc\nwait 2500\n"), 0) << out_.str();
  EXPECT_EQ(server().refreshes, 3) << "at 20, 1020 and 2020 ms";
}

TEST_F(RtdScenarioTest, AWaitUntilThatTimesOutFailsWithWhatTheCellShows) {
  EXPECT_EQ(Run("open\nset A1 =LIVE(\"close\")\ncalc\nwait-until A1 5 200\n"), 1);
  EXPECT_NE(out_.str().find("failed: after 200 ms the cell shows the number -1"), std::string::npos) << out_.str();
  EXPECT_EQ(host_.now_ms, 200);
}

TEST_F(RtdScenarioTest, ChangingOrClearingAFormulaDisconnectsItsTopicAndClosingTerminates) {
  EXPECT_EQ(Run("open\nset A1 =LIVE(\"close\")\nset A2 =LIVE(\"open\")\ncalc\n"
                "set A1 =LIVE(\"high\")\nexpect-topics 1\ncalc A1\nexpect-topics 2\nset A2\nexpect-topics 1\n"
                "close\nexpect-topics 0\n"),
            0)
      << out_.str();
  EXPECT_EQ(server().disconnected.size(), 3u);
  EXPECT_EQ(server().terminations, 1);
  EXPECT_FALSE(server().alive);
  EXPECT_EQ(xll_.entries_run, (std::vector<std::string>{"xlAutoOpen", "xlAutoClose"}));
  EXPECT_EQ(host_.library_releases, 1) << "closing lets COM unload what no object holds";
}

TEST_F(RtdScenarioTest, AnUnregisteredProgIdShowsNotAvailable) {
  rtd_servers_.servers.clear();
  EXPECT_EQ(Run("open\nset A1 =LIVE(\"close\")\ncalc\nexpect A1 \"#N/A\"\nexpect-topics 0\n"), 0) << out_.str();
}

TEST_F(RtdScenarioTest, RepeatsRunTheirStepsTheGivenNumberOfTimes) {
  EXPECT_EQ(Run("repeat 3\nopen\nfill A1:B50 =LIVE(\"close\")\ncalc\nexpect-topics 1\n"
                "repeat 0\nclose\nend-repeat\nclose\nend-repeat\n"),
            0)
      << out_.str();
  EXPECT_EQ(runner_.sheet().cells().size(), 100u);
  EXPECT_EQ(evaluations_, 300);
  EXPECT_EQ(server().starts, 3) << "each round's close terminated the server";
  EXPECT_EQ(server().connected.size(), 3u);
  EXPECT_EQ(server().terminations, 3);
}

TEST_F(RtdScenarioTest, ThreadsAreCountedAgainstTheNotedCount) {
  host_.threads = 4;
  EXPECT_EQ(Run("expect-threads\n"), 1) << "nothing noted";
  host_.threads = 4;
  EXPECT_EQ(Run("note-threads\nexpect-threads 3\n"), 1) << "no new failure";
  host_.threads = 6;
  EXPECT_EQ(Run("expect-threads 2\n"), 1);
  host_.threads = 8;
  EXPECT_EQ(Run("expect-threads 2\n"), 2);
  EXPECT_NE(out_.str().find("failed: 8 threads run, 4 did at note-threads"), std::string::npos) << out_.str();
}

// An add-in session of the test: each step is recorded, and a step named in `failing` fails.
class FakeAddinHost final : public AddinHost {
 public:
  bool Register(const std::string& path, std::string& error) override { return Step("register " + path, error); }
  bool Unregister(std::string& error) override { return Step("unregister", error); }
  bool Connect(const std::string& prog_id, std::string& error) override {
    return Step(prog_id.empty() ? "connect" : "connect " + prog_id, error);
  }
  bool Disconnect(std::string& error) override { return Step("disconnect", error); }
  bool Click(const std::string& control, std::string& error) override { return Step("click " + control, error); }
  bool Invoke(const std::string& callback, std::string& error) override { return Step("invoke " + callback, error); }
  const LoadedRibbon* ribbon() const override { return loaded ? &ribbon_ : nullptr; }
  void Shutdown() override { steps.push_back("shutdown"); }

  std::vector<std::string> steps;
  std::string failing;
  bool loaded = false;
  LoadedRibbon ribbon_;

 private:
  bool Step(const std::string& step, std::string& error) {
    steps.push_back(step);
    if (step != failing) return true;
    error = "it went wrong";
    return false;
  }
};

TEST_F(ScenarioRunnerTest, DrivesTheAddinSessionAndShutsItDownAtTheEnd) {
  FakeAddinHost host;
  runner_.set_addin_host(&host);
  host.failing = "click id_none";
  EXPECT_EQ(Run("register\nconnect\nclick id_all_refresh\nclick id_none\ninvoke OnDevelopModeEx\ndisconnect\n"
                "connect Other.Addin\nunregister\n"),
            1);
  EXPECT_EQ(host.steps,
            (std::vector<std::string>{"register fake.xll", "connect", "click id_all_refresh", "click id_none",
                                      "invoke OnDevelopModeEx", "disconnect", "connect Other.Addin", "unregister",
                                      "shutdown"}));
  EXPECT_NE(out_.str().find("test.txt:4: click id_none\n    failed: it went wrong"), std::string::npos) << out_.str();
}

TEST_F(ScenarioRunnerTest, ComStepsFailWithoutAComSide) {
  EXPECT_EQ(Run("connect\nexpect-ribbon-xml-bytes 10\nselect B2\n"), 2);
  EXPECT_NE(out_.str().find("failed: this build of xlhost has no COM side"), std::string::npos) << out_.str();
  EXPECT_NE(out_.str().find("failed: no ribbon was loaded"), std::string::npos) << out_.str();
  EXPECT_EQ(runner_.workbook().active_cell(), (CellAddress{1, 1}));
}

TEST_F(ScenarioRunnerTest, ChecksWhatTheRibbonShowed) {
  FakeAddinHost host;
  host.loaded = true;
  host.ribbon_.xml_bytes = 100;
  host.ribbon_.controls["a"] = RibbonControlState{true, true};
  host.ribbon_.controls["b"] = RibbonControlState{false, std::nullopt};
  runner_.set_addin_host(&host);
  EXPECT_EQ(Run("expect-ribbon-xml-bytes 100\nexpect-ribbon-image a present\nexpect-ribbon-enabled a TRUE\n"
                "expect-ribbon-image b none\n"),
            0)
      << out_.str();
  EXPECT_EQ(Run("expect-ribbon-xml-bytes 99\nexpect-ribbon-image a none\nexpect-ribbon-enabled b TRUE\n"
                "expect-ribbon-image c present\n"),
            4);
  const std::string out = out_.str();
  EXPECT_NE(out.find("failed: the ribbon XML has 100 bytes"), std::string::npos) << out;
  EXPECT_NE(out.find("failed: its image is present"), std::string::npos) << out;
  EXPECT_NE(out.find("failed: it is nothing (the control names no such callback)"), std::string::npos) << out;
  EXPECT_NE(out.find("failed: the ribbon has no control c"), std::string::npos) << out;
}

TEST_F(ScenarioRunnerTest, ChecksMessagesFormatsAndTheCalculationSwitch) {
  const MessageButton offered[] = {MessageButton::kYes, MessageButton::kNo};
  EXPECT_EQ(Run("answer-messages no\n"), 0);
  EXPECT_EQ(runner_.messages().Answer(u"Orra", u"Please log in", offered), MessageButton::kNo);
  CellRange b2 = CellRange::Of({1, 1});
  runner_.workbook().SetNumberFormat(b2, u"@");
  runner_.workbook().SetHorizontalAlignment(b2, kAlignCenter);
  runner_.workbook().SetCalculationEnabled(false);
  EXPECT_EQ(Run("expect-message \"Please log in\"\nexpect-message \"Please log in\" \"Orra\"\nexpect-messages 1\n"
                "expect-format B2 \"@\"\nexpect-alignment B2 center\nexpect-alignment B3 general\n"
                "expect-calculation off\n"),
            0)
      << out_.str();
  EXPECT_EQ(Run("expect-message \"Please log in\" \"Other\"\nexpect-messages 0\nexpect-format B2 \"General\"\n"
                "expect-alignment B2 left\nexpect-calculation on\n"),
            5);
  const std::string out = out_.str();
  EXPECT_NE(out.find("\"Please log in\" captioned \"Orra\""), std::string::npos) << out;
  EXPECT_NE(out.find("failed: 1 message boxes were shown"), std::string::npos) << out;
  EXPECT_NE(out.find("failed: the cell's format is \"@\""), std::string::npos) << out;
  EXPECT_NE(out.find("failed: the cell is aligned center"), std::string::npos) << out;
  EXPECT_NE(out.find("failed: the sheet's calculation is off"), std::string::npos) << out;
}

TEST_F(ScenarioRunnerTest, ObjectModelWritesEvaluateThroughTheRunner) {
  xll_.functions["F"] = [&](auto) {
    result_ = XlNumber(9);
    return &result_;
  };
  // The add-in writes through the object model while the XLL is open, here from xlAutoAdd.
  std::string error;
  bool written = false;
  xll_.auto_entries["xlAutoAdd"] = [&] {
    written = runner_.workbook().Write({0, 0}, u"=F()", error);
    return 1;
  };
  EXPECT_EQ(Run("open\nselect B2:C3\nactivate C3\nedit begin\nadd\nexpect A1 9\nedit end\n"), 0) << out_.str();
  EXPECT_TRUE(written) << error;
  EXPECT_EQ(runner_.workbook().active_cell(), (CellAddress{2, 2}));
  EXPECT_EQ(runner_.workbook().selection(), (CellRange{{1, 1}, {2, 2}}));
  EXPECT_FALSE(runner_.gate().editing());
}

}  // namespace
}  // namespace orra::xlhost
