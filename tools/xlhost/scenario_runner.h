#pragma once
// Runs a scenario's steps against an XLL: opens it as Excel does (xlAutoOpen), keeps the sheet,
// evaluates formulas by calling the XLL's worksheet functions with XLOPER12 arguments while
// ExcelApi answers their C API calls, and checks the expectations. Its xlfRtd drives real RTD
// servers through RtdClient; they answer while a wait step pumps the thread's messages, and the
// cells of the topics they report are evaluated again. Every failed expectation is
// reported on `out` with its line, what was expected and what was seen; the run goes on, so
// one run shows every difference. At the end an XLL still open is closed, as Excel closes it
// when it exits, and memory of the C API that was never given back is reported as a leak.
//
// Excel's main thread only. An XLL finds this host's C API through the process, so one runner
// at a time answers it (the Windows program's MdCallBack12 forwards to api()).

#include <functional>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "tools/xlhost/addin_host.h"
#include "tools/xlhost/apartment_gate.h"
#include "tools/xlhost/excel_api.h"
#include "tools/xlhost/host_memory.h"
#include "tools/xlhost/host_process.h"
#include "tools/xlhost/message_log.h"
#include "tools/xlhost/rtd_client.h"
#include "tools/xlhost/rtd_server_port.h"
#include "tools/xlhost/scenario.h"
#include "tools/xlhost/sheet.h"
#include "tools/xlhost/window_driver.h"
#include "tools/xlhost/workbook.h"
#include "tools/xlhost/xll_module.h"

namespace orra::xlhost {

// Loads the XLL at `path`; none, with `error` saying why, when it cannot be loaded.
using XllLoader = std::function<std::unique_ptr<XllModule>(const std::string& path, std::string& error)>;

class ScenarioRunner {
 public:
  // `default_xll` is what a bare "open" loads; `name` heads every message. `rtd_servers`
  // starts the servers xlfRtd names; `host` is pumped while a step waits.
  ScenarioRunner(XllLoader loader, std::string default_xll, std::string name, std::ostream& out,
                 RtdServerFactory& rtd_servers, HostProcess& host);

  // The count of failures: expectations not met, steps that could not run, and at the end a
  // leak or a bad give-back of C API memory.
  int Run(const std::vector<Step>& steps);

  ExcelApi& api() { return api_; }
  const Sheet& sheet() const { return sheet_; }

  // Excel's COM side: the object model's workbook and apartment, the message boxes seen, and
  // the add-in session the COM steps drive (none in a build without COM: those steps fail).
  Workbook& workbook() { return workbook_; }
  const ApartmentGate& gate() const { return gate_; }
  MessageLog& messages() { return messages_; }
  void set_addin_host(AddinHost* host) { addin_host_ = host; }
  // The windows of the process, which the window steps drive (none: those steps fail), and the
  // folder their screenshots are written to (made when missing).
  void set_window_driver(WindowDriver* driver) { window_driver_ = driver; }
  void set_screenshot_folder(std::string folder) { screenshot_folder_ = std::move(folder); }

 private:
  // False when the run cannot go on (an XLL that does not open).
  bool RunStep(const Step& step);
  bool Open(const Step& step);
  void RunAutoEntry(const Step& step, const char* entry);
  void CloseModule();
  void Evaluate(CellAddress cell);
  void Check(const Step& step);
  void Fail(const Step& step, const std::string& what);
  void Finish();
  void RunExcelStep(const Step& step);
  void CheckExcel(const Step& step);
  void RunWindowStep(const Step& step);
  void CheckWindow(const Step& step);
  void Screenshot(const Step& step);

  // Pumps messages for up to `duration_ms`, evaluating again the cells whose topics a refresh
  // changed, until `done` holds (when given); whether it did.
  bool Wait(int64_t duration_ms, const std::function<bool()>& done);
  void Fill(const Step& step);
  // The checks of the RTD steps: expect-topics, expect-rtd-value, expect-threads.
  void CheckRtd(const Step& step);

  XllLoader loader_;
  std::string default_xll_;
  std::string name_;
  std::ostream& out_;
  Sheet sheet_;
  HostMemory memory_;
  HostProcess& host_;
  RtdClient rtd_;
  std::optional<size_t> noted_threads_;
  ExcelApi api_;
  std::unique_ptr<XllModule> module_;
  int failures_ = 0;
  Workbook workbook_;
  ApartmentGate gate_;
  MessageLog messages_;
  AddinHost* addin_host_ = nullptr;
  WindowDriver* window_driver_ = nullptr;
  std::string screenshot_folder_;
};

}  // namespace orra::xlhost
