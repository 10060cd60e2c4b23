// The XLL's entry points, which Excel finds by their plain names (OrraAddin64.def). Each is a
// boundary no exception crosses: a failure answers what the entry point answers when it fails.
// Excel calls all of them on its main thread.

#include "addin/load_time_registration.h"
#include "addin/xll_addin_holder.h"
#include "xll/host_excel_calls.h"
#include "xll/temporary_memory.h"
#include "xll/xll_addin.h"

namespace {

// xlAutoRegister12's answer: a value of no type. Excel only reads it.
constinit orra::XLOPER12 no_value{};

}  // namespace

extern "C" int xlAutoOpen() {
  try {
    // Every load registers the DLL again at the first door Excel opens; the result is ignored.
    orra::RegisterAtLoad();
    orra::XllAddin& addin = orra::OpenedXllAddin();
    orra::HoldRuntimeForXll();
    return addin.Open();
  } catch (...) {
    return 0;
  }
}

extern "C" int xlAutoClose() {
  try {
    orra::XllAddin* addin = orra::ExistingXllAddin();
    const int closed = addin == nullptr ? 1 : addin->Close();
    orra::ReleaseRuntimeForXll();
    orra::TemporaryMemory::ReleaseAll();
    return closed;
  } catch (...) {
    return 1;
  }
}

extern "C" int xlAutoRemove() {
  try {
    orra::XllAddin* addin = orra::ExistingXllAddin();
    return addin == nullptr ? 1 : addin->Remove();
  } catch (...) {
    return 1;
  }
}

// Adding the add-in in the Add-in Manager is followed by xlAutoOpen, which does the work.
extern "C" int xlAutoAdd() { return 1; }

// No value the add-in returns asks Excel to hand it back.
extern "C" void xlAutoFree(void*) {}

extern "C" orra::XLOPER12* xlAddInManagerInfo12(orra::XLOPER12* action) {
  // The answers are constants of the add-in's; Excel only reads them.
  try {
    // The Add-in Manager may ask before the add-in is opened: the bridge is made for the call.
    orra::HostExcelCalls excel = orra::ConnectToHostExcel();
    return const_cast<orra::XLOPER12*>(&orra::AddInManagerInfo(excel, action));
  } catch (...) {
    orra::HostExcelCalls unreachable(nullptr);
    return const_cast<orra::XLOPER12*>(&orra::AddInManagerInfo(unreachable, nullptr));
  }
}

// Every function of the add-in is registered with its type text, so Excel never needs this to
// register one by name alone.
extern "C" orra::XLOPER12* xlAutoRegister12(orra::XLOPER12*) { return &no_value; }

// Excel never calls this: the add-in does not register it.
extern "C" void xlwGenDoc() {}
