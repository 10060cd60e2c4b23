// xlhost: the stand-in Excel. Runs one scenario file against an XLL and prints the sheet as
// Excel would show it; exits 1 when an expectation fails, 2 when the scenario cannot be read.
//   xlhost [--xll PATH] [--screens FOLDER] SCENARIO
// Screenshots go to FOLDER, by default "screenshots" beside the folder of xlhost.exe (in the
// build tree: build/windows/screenshots).
// The XLL reaches the C API through MdCallBack12, which this executable exports by its plain
// name, as EXCEL.EXE does, and which forwards to the running scenario's ExcelApi.
#include <windows.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <memory>
#include <sstream>
#include <string>

#include "common/utf8.h"
#include "tools/xlhost/addin_session_win32.h"
#include "tools/xlhost/com_rtd_server.h"
#include "tools/xlhost/excel_objects_win32.h"
#include "tools/xlhost/host_process.h"
#include "tools/xlhost/main_window_win32.h"
#include "tools/xlhost/message_box_watcher_win32.h"
#include "tools/xlhost/scenario.h"
#include "tools/xlhost/scenario_runner.h"
#include "tools/xlhost/window_driver_win32.h"
#include "tools/xlhost/xll_module_loader.h"

namespace {

constexpr int kExitFailed = 1;
constexpr int kExitUsage = 2;
// The COM add-in the connect step creates, as Office finds it under Excel's add-in key.
constexpr char16_t kAddinProgId[] = u"ZodevUruza.OrraExcel";

// The C API of the scenario being run; set for the whole run, on the one thread that runs it.
orra::xlhost::ExcelApi* g_excel = nullptr;

constexpr DWORD kMaxModulePathUnits = 32768;

// "screenshots" beside the folder that holds this executable, in UTF-8.
std::string DefaultScreenshotFolder() {
  std::wstring path(kMaxModulePathUnits, L'\0');
  const DWORD length = GetModuleFileNameW(nullptr, path.data(), kMaxModulePathUnits);
  if (length == 0 || length >= kMaxModulePathUnits) return "screenshots";
  path.resize(length);
  const std::filesystem::path folder = std::filesystem::path(path).parent_path().parent_path() / L"screenshots";
  const std::wstring wide = folder.wstring();
  return orra::ToUtf8(std::u16string(wide.begin(), wide.end()));
}

}  // namespace

extern "C" __declspec(dllexport) int __stdcall MdCallBack12(int function, int count,
                                                            orra::XLOPER12** arguments,
                                                            orra::XLOPER12* result) {
  try {
    if (g_excel == nullptr) return orra::xlretFailed;
    if (count < 0 || (count > 0 && arguments == nullptr)) return orra::xlretInvCount;
    // A caller that wants no result (xlFree) still gets one computed; what it held goes back.
    orra::XLOPER12 discarded{};
    const std::span<const orra::XLOPER12* const> span(arguments, static_cast<size_t>(count));
    const int code = g_excel->Call(function, result != nullptr ? *result : discarded, span);
    if (result == nullptr) {
      const orra::XLOPER12* freed[] = {&discarded};
      orra::XLOPER12 ignored{};
      g_excel->Call(orra::xlFree, ignored, freed);
    }
    return code;
  } catch (...) {
    return orra::xlretFailed;
  }
}

int main(int argc, char** argv) {
  try {
    std::string xll;
    std::string scenario_path;
    std::string screenshot_folder;
    for (int i = 1; i < argc; ++i) {
      const std::string argument = argv[i];
      if (argument == "--xll" && i + 1 < argc) {
        xll = argv[++i];
      } else if (argument == "--screens" && i + 1 < argc) {
        screenshot_folder = argv[++i];
      } else if (scenario_path.empty() && argument.rfind("--", 0) != 0) {
        scenario_path = argument;
      } else {
        scenario_path.clear();
        break;
      }
    }
    if (scenario_path.empty()) {
      std::cerr << "usage: xlhost [--xll PATH] [--screens FOLDER] SCENARIO\n";
      return kExitUsage;
    }
    std::ifstream file(scenario_path, std::ios::binary);
    if (!file) {
      std::cerr << "xlhost: cannot read " << scenario_path << "\n";
      return kExitUsage;
    }
    std::ostringstream text;
    text << file.rdbuf();
    std::string error;
    const auto steps = orra::xlhost::ParseScenario(text.str(), error);
    if (!steps) {
      std::cerr << "xlhost: " << scenario_path << ": " << error << "\n";
      return kExitUsage;
    }
    const std::unique_ptr<orra::xlhost::HostProcess> host = orra::xlhost::StartHostProcess();
    if (!host) {
      std::cerr << "xlhost: COM cannot be started on the main thread\n";
      return kExitFailed;
    }
    const std::unique_ptr<orra::xlhost::RtdServerFactory> rtd_servers = orra::xlhost::MakeComRtdServerFactory();
    int failures = 0;
    {
      // The runner, and with it every RTD server, Excel's objects and the add-in, is gone
      // before COM is shut down.
      orra::xlhost::ScenarioRunner runner(orra::xlhost::LoadXll, xll, scenario_path, std::cout, *rtd_servers, *host);
      orra::xlhost::MainWindow main_window;
      auto application = orra::xlhost::MakeApplication(runner.workbook(), runner.gate(), main_window.handle());
      orra::xlhost::MessageBoxWatcher watcher(runner.messages());
      if (!application || main_window.handle() == nullptr || !watcher.installed()) {
        std::cerr << "xlhost: cannot make Excel's main window, its objects or the message box watcher\n";
        return kExitFailed;
      }
      orra::xlhost::AddinSession session(kAddinProgId, application.get(), runner.gate());
      runner.set_addin_host(&session);
      const std::unique_ptr<orra::xlhost::WindowDriver> windows = orra::xlhost::MakeWin32WindowDriver();
      runner.set_window_driver(windows.get());
      runner.set_screenshot_folder(screenshot_folder.empty() ? DefaultScreenshotFolder() : screenshot_folder);
      g_excel = &runner.api();
      failures = runner.Run(*steps);
      g_excel = nullptr;
    }
    std::cout << scenario_path << ": " << (failures == 0 ? "passed" : "FAILED") << "\n";
    std::cout.flush();
    return failures == 0 ? 0 : kExitFailed;
  } catch (const std::exception& failure) {
    std::cerr << "xlhost: " << failure.what() << "\n";
    return kExitFailed;
  }
}
