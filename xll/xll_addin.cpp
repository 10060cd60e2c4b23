#include "xll/xll_addin.h"

#include <iterator>
#include <string>
#include <utility>

#include "common/ascii_text.h"
#include "common/diagnostic_log.h"
#include "xll/argument_value.h"
#include "xll/function_registration.h"
#include "xll/xl_constants.h"

namespace orra {
namespace {

constexpr std::u16string_view kRegisteringStatus = u"Registering library...";
constexpr std::u16string_view kPathVariable = u"PATH";
constexpr std::u16string_view kHelpFileExtension = u"chm";
// xlfGetWorkspace's question for Excel's version text, such as "16.0".
constexpr double kWorkspaceVersion = 2;
// More digits than a major version has: anything longer is not one.
constexpr size_t kMaxVersionDigits = 4;
// xlAddInManagerInfo12's question for the add-in's name.
constexpr int32_t kAddinNameAction = 1;

constexpr char kPathWarning[] = " Warning: Unable to initialise PATH to directory of library \r\n";

// The name the Add-in Manager lists, as a counted text: 11 units follow the count.
constexpr char16_t kAddinNameText[] = u"\u000B星桥资管Excel插件";
static_assert(std::size(kAddinNameText) == 1 + 11 + 1);
constinit const XLOPER12 kAddinName{.val{.str = const_cast<XCHAR*>(kAddinNameText)}, .xltype = xltypeStr};
constinit const XLOPER12 kValueError{.val{.err = xlerrValue}, .xltype = xltypeErr};

XLOPER12 Number(double number) {
  XLOPER12 value{};
  value.xltype = xltypeNum;
  value.val.num = number;
  return value;
}

XLOPER12 Boolean(bool flag) {
  XLOPER12 value{};
  value.xltype = xltypeBool;
  value.val.xbool = flag ? 1 : 0;
  return value;
}

std::u16string Digits(int64_t number) { return WidenAscii(std::to_string(number)); }

// The major version at the start of Excel's version text ("16.0" gives 16).
std::optional<int> MajorVersion(const XLOPER12& answer) {
  const std::optional<std::u16string_view> text = TextOf(answer);
  if (!text) return std::nullopt;
  int version = 0;
  size_t digits = 0;
  while (digits < text->size() && digits < kMaxVersionDigits && (*text)[digits] >= u'0' && (*text)[digits] <= u'9') {
    version = version * 10 + ((*text)[digits] - u'0');
    ++digits;
  }
  if (digits == 0) return std::nullopt;
  return version;
}

// The help file is the add-in's file name with "chm" for its three-letter extension, beside
// the add-in or in the folder above it; the first that exists is taken.
std::optional<std::u16string> FindHelpFile(FileSystem& files, const std::u16string& addin_file_name) {
  const size_t extension_length = kHelpFileExtension.size();
  if (addin_file_name.size() <= extension_length ||
      addin_file_name[addin_file_name.size() - extension_length - 1] != u'.') {
    return std::nullopt;
  }
  std::u16string beside = addin_file_name.substr(0, addin_file_name.size() - extension_length);
  beside += kHelpFileExtension;
  if (files.IsFile(beside)) return beside;
  const size_t slash = beside.rfind(u'\\');
  if (slash == std::u16string::npos || slash == 0) return std::nullopt;
  const size_t parent_slash = beside.rfind(u'\\', slash - 1);
  if (parent_slash == std::u16string::npos) return std::nullopt;
  std::u16string above = beside.substr(0, parent_slash + 1) + beside.substr(slash + 1);
  if (files.IsFile(above)) return above;
  return std::nullopt;
}

}  // namespace

XllAddin::XllAddin(ExcelCalls& excel, LibraryLoader& libraries, ProcessEnvironment& process, Env& env,
                   FunctionRegistry registry)
    : excel_(excel), libraries_(libraries), process_(process), env_(env), registry_(std::move(registry)) {}

int XllAddin::Open() noexcept {
  try {
    if (!StartBridge()) return 0;
    if (!path_step_taken_) {
      path_step_taken_ = true;
      AddAddinFolderToPath();
    }
    ShowStatus(kRegisteringStatus);
    RegisterFunctions();
    ClearStatus();
    return 1;
  } catch (...) {
    return 0;
  }
}

int XllAddin::Close() noexcept {
  try {
    Diagnose("Releasing resources\r\n");
    if (removed_) {
      UnregisterFunctions();
      removed_ = false;
    }
    excel_library_.reset();
  } catch (...) {
    Diagnose("Something bad happened in xlAutoClose\r\n");
  }
  return 1;
}

int XllAddin::Remove() noexcept {
  try {
    Diagnose("Addin being unloaded\r\n");
    removed_ = true;
  } catch (...) {
    Diagnose("Something bad happened in xlAutoRemove\r\n");
  }
  return 1;
}

void XllAddin::Diagnose(std::string_view line) { Diagnose(WidenAscii(line)); }

void XllAddin::Diagnose(std::u16string_view line) {
  env_.Debug(line);
  if (!DiagnosticLogEnabled()) return;
  // develop.log ends its lines itself.
  while (!line.empty() && (line.back() == u'\n' || line.back() == u'\r')) line.remove_suffix(1);
  DiagnosticLog(line);
}

bool XllAddin::StartBridge() {
  std::unique_ptr<LoadedLibrary> library = libraries_.Load(kExcelLibrary);
  if (library == nullptr) {
    Diagnose("Could not load library XLCALL32.DLL\r\n");
    return false;
  }
  for (const char* entry : kExcelLibraryEntries) {
    if (!library->HasEntry(entry)) {
      Diagnose(std::string("Could not get address of ") + entry + " callback\r\n");
      return false;
    }
  }

  const XLOPER12 version_question = Number(kWorkspaceVersion);
  const ExcelResult version(excel_, xlfGetWorkspace, {&version_question});
  const std::optional<int> major = version.succeeded() ? MajorVersion(version.value()) : std::nullopt;
  if (!major || *major < kFirstSupportedExcelVersion) {
    Diagnose("Could not get a version of Excel 2007 or later\r\n");
    return false;
  }
  excel_library_ = std::move(library);

  const ExcelResult name(excel_, xlGetName, {});
  const std::optional<std::u16string_view> name_text = name.succeeded() ? TextOf(name.value()) : std::nullopt;
  if (name_text && !name_text->empty()) {
    addin_file_name_ = *name_text;
  } else {
    addin_file_name_.clear();
    Diagnose("Could not get DLL name\r\n");
  }
  help_file_ = FindHelpFile(env_.files(), addin_file_name_);
  return true;
}

void XllAddin::AddAddinFolderToPath() {
  const std::optional<std::u16string> module = process_.AddinModulePath();
  const size_t slash = module ? module->rfind(u'\\') : std::u16string::npos;
  if (slash == std::u16string::npos) {
    Diagnose(" Could not attain path of DLL\r\n");
    Diagnose(kPathWarning);
    return;
  }
  ShowStatus(*module);
  const std::optional<std::u16string> path = process_.Variable(kPathVariable);
  if (!path) {
    Diagnose(kPathWarning);
    return;
  }
  if (!process_.SetVariable(kPathVariable, *path + u";" + module->substr(0, slash))) {
    Diagnose(" SetEnvironmentVariable failed to set PATH\r\n");
    Diagnose(kPathWarning);
    return;
  }
  Diagnose(" PATH set successfully \r\n");
}

void XllAddin::RegisterFunctions() {
  int64_t position = 0;
  for (auto& [name, function] : registry_.functions()) {
    ++position;
    const std::u16string help_topic = help_file_ ? *help_file_ + u"!" + Digits(position) : std::u16string();
    const RegisterArguments arguments(function.record, addin_file_name_, help_topic);
    // The answer is a number or an error: nothing of Excel's memory to give back.
    XLOPER12 answer{};
    const int32_t return_code = excel_.Call(xlfRegister, answer, arguments.values());
    if (return_code == xlretSuccess && BaseType(answer) == xltypeNum) {
      function.register_id = answer.val.num;
    } else {
      function.register_id.reset();
      Diagnose(u"Error " + Digits(return_code) + u" while registering " + name + u"\r\n");
    }
  }
}

void XllAddin::UnregisterFunctions() {
  for (auto& [name, function] : registry_.functions()) {
    if (!function.register_id) continue;
    // Registering also defined a hidden name of the function; without a value it goes.
    const ArgumentValue defined_name = ArgumentValue::Text(name);
    const ExcelResult name_cleared(excel_, xlfSetName, {&defined_name.xloper()});
    const XLOPER12 register_id = Number(*function.register_id);
    const ExcelResult unregistered(excel_, xlfUnregister, {&register_id});
    function.register_id.reset();
  }
}

void XllAddin::ShowStatus(std::u16string_view text) {
  const XLOPER12 show = Boolean(true);
  const ArgumentValue message = ArgumentValue::Text(text);
  const ExcelResult shown(excel_, xlcMessage, {&show, &message.xloper()});
}

void XllAddin::ClearStatus() {
  const XLOPER12 restore = Boolean(false);
  const ExcelResult cleared(excel_, xlcMessage, {&restore});
}

const XLOPER12& AddInManagerInfo(ExcelCalls& excel, const XLOPER12* action) noexcept {
  if (action == nullptr) return kValueError;
  XLOPER12 wanted{};
  wanted.xltype = xltypeInt;
  wanted.val.w = xltypeInt;
  const ExcelResult coerced(excel, xlCoerce, {action, &wanted});
  if (coerced.succeeded() && BaseType(coerced.value()) == xltypeInt && coerced.value().val.w == kAddinNameAction) {
    return kAddinName;
  }
  return kValueError;
}

}  // namespace orra
