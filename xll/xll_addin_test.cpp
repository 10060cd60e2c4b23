#include "xll/xll_addin.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "common/diagnostic_log.h"
#include "testing/scripted_excel_calls.h"
#include "testing/test_env.h"
#include "testing/xloper_values.h"
#include "xll/xl_constants.h"

namespace orra {
namespace {

constexpr char16_t kAddinFile[] = u"C:\\Addins\\Orra\\OrraAddin64.xll";
constexpr double kXdpRegisterId = 42;

// Excel's library as the test wants it: missing, or with some of its entries.
class FakeLibraryLoader final : public LibraryLoader {
 public:
  class Library final : public LoadedLibrary {
   public:
    explicit Library(std::set<std::string> entries) : entries_(std::move(entries)) {}
    bool HasEntry(const char* name) const override { return entries_.count(name) != 0; }

   private:
    std::set<std::string> entries_;
  };

  std::unique_ptr<LoadedLibrary> Load(std::u16string_view file_name) override {
    loaded.emplace_back(file_name);
    if (!present) return nullptr;
    return std::make_unique<Library>(entries);
  }

  bool present = true;
  std::set<std::string> entries{"Excel4", "Excel4v", "LPenHelper", "XLCallVer"};
  std::vector<std::u16string> loaded;
};

class InMemoryProcessEnvironment final : public ProcessEnvironment {
 public:
  std::optional<std::u16string> Variable(std::u16string_view name) override {
    const auto found = variables.find(std::u16string(name));
    if (found == variables.end()) return std::nullopt;
    return found->second;
  }
  bool SetVariable(std::u16string_view name, std::u16string_view value) override {
    if (refuse_changes) return false;
    ++changes;
    variables[std::u16string(name)] = value;
    return true;
  }
  std::optional<std::u16string> AddinModulePath() override { return module_path; }

  std::map<std::u16string, std::u16string> variables{{u"PATH", u"C:\\Windows"}};
  std::optional<std::u16string> module_path = std::u16string(kAddinFile);
  bool refuse_changes = false;
  int changes = 0;
};

// Files that exist by name, nothing else.
class ExistingFiles final : public FileSystem {
 public:
  std::optional<std::vector<uint8_t>> ReadAll(const std::u16string& path, Access) override {
    if (names.count(path) == 0) return std::nullopt;
    return std::vector<uint8_t>();
  }
  std::optional<std::u16string> WriteTemporaryBeside(const std::u16string&, std::span<const uint8_t>) override {
    return std::nullopt;
  }
  bool Replace(const std::u16string&, const std::u16string&) override { return false; }
  bool WriteInPlace(const std::u16string&, std::span<const uint8_t>) override { return false; }
  bool Remove(const std::u16string&) override { return false; }

  std::set<std::u16string> names;
};

FunctionRegistration NamedRecord(std::u16string name) {
  FunctionRegistration record;
  record.procedure = name;
  record.name_in_excel = name;
  record.function_help = name;
  record.category = u"ORRA FUNCTION";
  return record;
}

class XllAddinTest : public ::testing::Test {
 protected:
  XllAddinTest() {
    excel_.ScriptText(xlfGetWorkspace, u"16.0");
    excel_.ScriptText(xlGetName, kAddinFile);
    excel_.ScriptNumber(xlfRegister, kXdpRegisterId);
    excel_.Script(xlcMessage, xlretSuccess, XlBool(true));
    excel_.Script(xlfSetName, xlretSuccess, XlBool(true));
    excel_.Script(xlfUnregister, xlretSuccess, XlBool(true));
  }

  std::vector<ScriptedExcelCalls::RecordedCall> CallsOf(int32_t function) const {
    std::vector<ScriptedExcelCalls::RecordedCall> found;
    for (const auto& call : excel_.calls()) {
      if (call.function == function) found.push_back(call);
    }
    return found;
  }
  std::optional<double> XdpId(const XllAddin& addin) const {
    const RegisteredFunction* xdp = addin.registry().Find(u"XDP");
    EXPECT_NE(xdp, nullptr);
    return xdp == nullptr ? std::nullopt : xdp->register_id;
  }
  // The help topic each xlfRegister was given.
  std::vector<std::u16string> HelpTopics() const {
    std::vector<std::u16string> topics;
    for (const auto& call : CallsOf(xlfRegister)) topics.push_back(call.texts.at(8).value_or(u"?"));
    return topics;
  }
  bool Logged(std::u16string_view line) const { return env_.DebugText().find(line) != std::u16string::npos; }

  ScriptedExcelCalls excel_;
  FakeLibraryLoader libraries_;
  InMemoryProcessEnvironment process_;
  ExistingFiles files_;
  testing::TestEnv env_{testing::TestEnv::kDefaultNow, files_};
};

TEST_F(XllAddinTest, OpeningRegistersXdpUnderTheNameExcelGaveTheAddin) {
  XllAddin addin(excel_, libraries_, process_, env_);
  EXPECT_EQ(addin.Open(), 1);

  EXPECT_EQ(libraries_.loaded, std::vector<std::u16string>{u"XLCALL32.DLL"});
  const auto registered = CallsOf(xlfRegister);
  ASSERT_EQ(registered.size(), 1u);
  ASSERT_EQ(registered[0].texts.size(), 26u);
  EXPECT_EQ(registered[0].texts[0], kAddinFile);
  EXPECT_EQ(registered[0].texts[2], std::u16string(17, u'Q'));
  EXPECT_EQ(registered[0].texts[8], u"");  // no help file
  EXPECT_EQ(XdpId(addin), kXdpRegisterId);

  // The status bar tells what happens and is given back at the end.
  const auto messages = CallsOf(xlcMessage);
  ASSERT_EQ(messages.size(), 3u);
  EXPECT_EQ(messages[0].texts.at(1), kAddinFile);
  EXPECT_EQ(messages[1].texts.at(1), u"Registering library...");
  ASSERT_EQ(messages[2].arguments.size(), 1u);
  EXPECT_EQ(messages[2].arguments[0].val.xbool, 0);
  EXPECT_EQ(excel_.functions_called().back(), xlcMessage);
  // Excel's texts (version, name) were given back.
  EXPECT_EQ(excel_.outstanding(), 0u);
  EXPECT_EQ(excel_.bad_frees(), 0);
}

TEST_F(XllAddinTest, OpeningTwiceAppendsTheAddinsFolderToPathOnce) {
  XllAddin addin(excel_, libraries_, process_, env_);
  ASSERT_EQ(addin.Open(), 1);
  ASSERT_EQ(addin.Close(), 1);
  ASSERT_EQ(addin.Open(), 1);
  EXPECT_EQ(process_.variables[u"PATH"], u"C:\\Windows;C:\\Addins\\Orra");
  EXPECT_EQ(process_.changes, 1);
  EXPECT_EQ(CallsOf(xlfRegister).size(), 2u);
}

TEST_F(XllAddinTest, PathLeftAloneIsReportedAndOpeningGoesOn) {
  struct Case {
    const char* what;
    bool has_path;
    bool refuse;
    bool module_known;
    std::u16string line;
  };
  const Case cases[] = {
      {"set", true, false, true, u" PATH set successfully \r\n"},
      {"no PATH", false, false, true, u""},
      {"refused", true, true, true, u" SetEnvironmentVariable failed to set PATH\r\n"},
      {"no module path", true, false, false, u" Could not attain path of DLL\r\n"},
  };
  const std::u16string warning = u" Warning: Unable to initialise PATH to directory of library \r\n";
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    InMemoryProcessEnvironment process;
    if (!c.has_path) process.variables.clear();
    process.refuse_changes = c.refuse;
    if (!c.module_known) process.module_path.reset();
    env_.ClearDebugText();
    XllAddin addin(excel_, libraries_, process, env_);
    EXPECT_EQ(addin.Open(), 1);
    EXPECT_TRUE(Logged(c.line));
    const bool set = c.has_path && !c.refuse && c.module_known;
    EXPECT_EQ(Logged(warning), !set);
    EXPECT_EQ(process.changes, set ? 1 : 0);
  }
}

TEST_F(XllAddinTest, ClosingWithoutRemovalLeavesXdpRegistered) {
  XllAddin addin(excel_, libraries_, process_, env_);
  ASSERT_EQ(addin.Open(), 1);
  EXPECT_EQ(addin.Close(), 1);
  EXPECT_TRUE(CallsOf(xlfUnregister).empty());
  EXPECT_TRUE(CallsOf(xlfSetName).empty());
  EXPECT_EQ(XdpId(addin), kXdpRegisterId);
  EXPECT_TRUE(Logged(u"Releasing resources\r\n"));
}

std::vector<std::u16string>& DevelopLogLines() {
  static std::vector<std::u16string> lines;
  return lines;
}

TEST_F(XllAddinTest, InDeveloperModeTheDiagnosticLinesAlsoGoToTheDevelopLog) {
  XllAddin addin(excel_, libraries_, process_, env_);
  ASSERT_EQ(addin.Open(), 1);
  DevelopLogLines().clear();
  SetDiagnosticLogSink([](std::u16string_view line) { DevelopLogLines().emplace_back(line); });
  addin.Remove();
  addin.Close();
  SetDiagnosticLogSink(nullptr);
  addin.Close();
  EXPECT_EQ(DevelopLogLines(), (std::vector<std::u16string>{u"Addin being unloaded", u"Releasing resources"}));
}

TEST_F(XllAddinTest, RemovingThenClosingUnregistersXdpAndItsName) {
  XllAddin addin(excel_, libraries_, process_, env_);
  ASSERT_EQ(addin.Open(), 1);
  EXPECT_EQ(addin.Remove(), 1);
  EXPECT_TRUE(Logged(u"Addin being unloaded\r\n"));
  EXPECT_EQ(addin.Close(), 1);

  const auto names = CallsOf(xlfSetName);
  ASSERT_EQ(names.size(), 1u);
  ASSERT_EQ(names[0].arguments.size(), 1u);  // no value: the name goes
  EXPECT_EQ(names[0].texts[0], u"XDP");
  const auto unregistered = CallsOf(xlfUnregister);
  ASSERT_EQ(unregistered.size(), 1u);
  ASSERT_EQ(unregistered[0].arguments.size(), 1u);
  EXPECT_EQ(unregistered[0].arguments[0].xltype, xltypeNum);
  EXPECT_EQ(unregistered[0].arguments[0].val.num, kXdpRegisterId);
  EXPECT_EQ(XdpId(addin), std::nullopt);

  // The mark served its closing: reopened and closed again, the add-in stays registered.
  ASSERT_EQ(addin.Open(), 1);
  ASSERT_EQ(addin.Close(), 1);
  EXPECT_EQ(CallsOf(xlfUnregister).size(), 1u);
  EXPECT_EQ(XdpId(addin), kXdpRegisterId);
}

TEST_F(XllAddinTest, RemovingWhatNeverRegisteredUnregistersNothing) {
  excel_.Script(xlfRegister, xlretFailed, XlError(xlerrValue));
  XllAddin addin(excel_, libraries_, process_, env_);
  ASSERT_EQ(addin.Open(), 1);
  addin.Remove();
  addin.Close();
  EXPECT_TRUE(CallsOf(xlfUnregister).empty());
}

TEST_F(XllAddinTest, WithoutExcelsLibraryOpeningFailsBeforeAskingExcel) {
  libraries_.present = false;
  XllAddin addin(excel_, libraries_, process_, env_);
  EXPECT_EQ(addin.Open(), 0);
  EXPECT_EQ(env_.DebugText(), u"Could not load library XLCALL32.DLL\r\n");
  EXPECT_TRUE(excel_.calls().empty());
}

TEST_F(XllAddinTest, EachMissingEntryOfExcelsLibraryIsNamed) {
  for (const char* entry : XllAddin::kExcelLibraryEntries) {
    SCOPED_TRACE(entry);
    ScriptedExcelCalls excel;
    libraries_.entries = {"Excel4", "Excel4v", "LPenHelper"};
    libraries_.entries.erase(entry);
    env_.ClearDebugText();
    XllAddin addin(excel, libraries_, process_, env_);
    EXPECT_EQ(addin.Open(), 0);
    EXPECT_EQ(env_.DebugText(), u"Could not get address of " + std::u16string(entry, entry + strlen(entry)) +
                                    u" callback\r\n");
    EXPECT_TRUE(excel.calls().empty());
  }
}

TEST_F(XllAddinTest, AnExcelOlderThan2007OrSilentOneIsNotOpened) {
  for (const std::u16string version : {u"11.0", u"", u"Excel"}) {
    ScriptedExcelCalls excel;
    excel.ScriptText(xlfGetWorkspace, version);
    XllAddin addin(excel, libraries_, process_, env_);
    EXPECT_EQ(addin.Open(), 0);
    const std::vector<int32_t> called = excel.functions_called();
    EXPECT_EQ(std::count(called.begin(), called.end(), xlfRegister), 0);
    EXPECT_EQ(excel.outstanding(), 0u);
  }
  ScriptedExcelCalls unreachable;  // nothing scripted: every call fails
  XllAddin addin(unreachable, libraries_, process_, env_);
  EXPECT_EQ(addin.Open(), 0);
}

TEST_F(XllAddinTest, ANamelessAddinIsStillOpened) {
  excel_.Script(xlGetName, xlretFailed, XlError(xlerrValue));
  XllAddin addin(excel_, libraries_, process_, env_);
  EXPECT_EQ(addin.Open(), 1);
  EXPECT_TRUE(Logged(u"Could not get DLL name\r\n"));
  ASSERT_EQ(CallsOf(xlfRegister).size(), 1u);
  EXPECT_EQ(CallsOf(xlfRegister)[0].texts[0], u"");
  EXPECT_EQ(HelpTopics(), std::vector<std::u16string>{u""});
}

TEST_F(XllAddinTest, TheHelpFileIsBesideTheAddinOrInTheFolderAbove) {
  const std::u16string beside = u"C:\\Addins\\Orra\\OrraAddin64.chm";
  const std::u16string above = u"C:\\Addins\\OrraAddin64.chm";
  {
    files_.names = {beside, above};
    XllAddin addin(excel_, libraries_, process_, env_);
    ASSERT_EQ(addin.Open(), 1);
  }
  {
    files_.names = {above};
    XllAddin addin(excel_, libraries_, process_, env_);
    ASSERT_EQ(addin.Open(), 1);
  }
  {
    files_.names = {u"C:\\Addins\\Orra\\OrraAddin64.xll"};
    XllAddin addin(excel_, libraries_, process_, env_);
    ASSERT_EQ(addin.Open(), 1);
  }
  EXPECT_EQ(HelpTopics(), (std::vector<std::u16string>{beside + u"!1", above + u"!1", u""}));
}

TEST_F(XllAddinTest, AnAddinNameWithoutAThreeLetterExtensionHasNoHelpFile) {
  excel_.ScriptText(xlGetName, u"C:\\Addins\\Orra\\OrraAddin64");
  files_.names = {u"C:\\Addins\\Orra\\OrraAddin64chm", u"C:\\Addins\\Orra\\OrraAddichm"};
  XllAddin addin(excel_, libraries_, process_, env_);
  ASSERT_EQ(addin.Open(), 1);
  EXPECT_EQ(HelpTopics(), std::vector<std::u16string>{u""});
}

TEST_F(XllAddinTest, AFunctionExcelRefusesIsReportedAndTheNextStillRegistered) {
  FunctionRegistry registry;
  registry.Add(NamedRecord(u"ZZ_LAST"));
  registry.Add(NamedRecord(u"AA_FIRST"));
  excel_.ScriptHandler(xlfRegister, [](XLOPER12& result, std::span<const XLOPER12* const> arguments) {
    if (TextOf(*arguments[1]) == u"AA_FIRST") {
      result = XlError(xlerrValue);
      return xlretInvXloper;
    }
    result = XlNumber(7);
    return xlretSuccess;
  });
  files_.names = {u"C:\\Addins\\Orra\\OrraAddin64.chm"};
  XllAddin addin(excel_, libraries_, process_, env_, std::move(registry));
  EXPECT_EQ(addin.Open(), 1);
  EXPECT_TRUE(Logged(u"Error 8 while registering AA_FIRST\r\n"));
  EXPECT_EQ(addin.registry().Find(u"AA_FIRST")->register_id, std::nullopt);
  EXPECT_EQ(addin.registry().Find(u"ZZ_LAST")->register_id, 7);
  // In the order of their names, each with its own place in the help file.
  EXPECT_EQ(HelpTopics(), (std::vector<std::u16string>{u"C:\\Addins\\Orra\\OrraAddin64.chm!1",
                                                      u"C:\\Addins\\Orra\\OrraAddin64.chm!2"}));
  EXPECT_EQ(excel_.functions_called().back(), xlcMessage);
}

// xlCoerce to an integer as Excel does it for the values the Add-in Manager may pass.
int32_t CoerceToInteger(XLOPER12& result, std::span<const XLOPER12* const> arguments) {
  const XLOPER12& value = *arguments[0];
  std::optional<int32_t> integer;
  if (BaseType(value) == xltypeInt) integer = value.val.w;
  if (BaseType(value) == xltypeNum) integer = static_cast<int32_t>(value.val.num);
  if (const auto text = TextOf(value); text && *text == u"1") integer = 1;
  if (!integer) {
    result = XlError(xlerrValue);
    return xlretFailed;
  }
  result = XlInteger(*integer);
  return xlretSuccess;
}

TEST(AddInManagerInfoTest, OnlyTheNumberOneAsksForTheAddinsName) {
  ScriptedExcelCalls excel;
  excel.ScriptHandler(xlCoerce, CoerceToInteger);
  const XLOPER12 one = XlNumber(1);
  const XLOPER12& name = AddInManagerInfo(excel, &one);
  ASSERT_EQ(name.xltype, xltypeStr);
  EXPECT_EQ(TextOf(name), u"星桥资管Excel插件");

  const XLOPER12 integer_one = XlInteger(1);
  EXPECT_EQ(&AddInManagerInfo(excel, &integer_one), &name);
  const XlText text_one(u"1");
  EXPECT_EQ(&AddInManagerInfo(excel, text_one.get()), &name);

  const XLOPER12 two = XlNumber(2);
  const XlText text(u"name");
  const XLOPER12 missing = XlOfType(xltypeMissing);
  for (const XLOPER12* action : {&two, text.get(), &missing, static_cast<const XLOPER12*>(nullptr)}) {
    const XLOPER12& answer = AddInManagerInfo(excel, action);
    EXPECT_EQ(answer.xltype, xltypeErr);
    EXPECT_EQ(answer.val.err, xlerrValue);
  }
  // The name outlives the calls that followed it.
  EXPECT_EQ(TextOf(name), u"星桥资管Excel插件");
  // The coercion asked for an integer.
  ASSERT_FALSE(excel.calls().empty());
  EXPECT_EQ(excel.calls()[0].arguments.at(1).val.w, static_cast<int32_t>(xltypeInt));
}

}  // namespace
}  // namespace orra
