#include "ui/addin_win_thread_win32.h"

#include <commctrl.h>
#include <objbase.h>

#include <chrono>
#include <optional>
#include <string>
#include <utility>

#include "common/event.h"
#include "common/module_directory.h"
#include "common/utilities.h"
#include "ui/dialog_request.h"
#include "ui/dispatch_cell_references_win32.h"
#include "ui/dispatch_handoff_win32.h"
#include "ui/dlg_insert_stock_win32.h"
#include "ui/dlg_report_nav_win32.h"

namespace orra {
namespace {

// How long Start waits for the new thread's message queue, so that the first Post lands.
constexpr std::chrono::milliseconds kQueueReadyWait{5000};

// The thread's own state: made by Start, handed to the thread before it resumes, and from then
// on touched by the thread alone.
class DialogsLoop {
 public:
  DialogsLoop(HWND excel_window, IDispatch* application, std::shared_ptr<const COrraData> store,
              std::shared_ptr<Event> queue_ready)
      : excel_window_(excel_window), store_(std::move(store)), handoff_(application), queue_ready_(std::move(queue_ready)) {}
  DialogsLoop(const DialogsLoop&) = delete;
  DialogsLoop& operator=(const DialogsLoop&) = delete;

  void Run();

 private:
  void StartUp();
  void OnThreadMessage(const MSG& message);
  void OpenNavigator();
  void OpenInsertCode();
  bool IsDialogMessageOfOurs(MSG& message) const;

  const HWND excel_window_;
  // Declared before the dialogs, which read it until they are destroyed.
  const std::shared_ptr<const COrraData> store_;
  DispatchHandoff handoff_;
  std::shared_ptr<Event> queue_ready_;
  // Filled by StartUp with the proxy the handoff gives this thread.
  std::optional<DispatchCellReferences> excel_;
  // Created at their first request; the navigator is declared after what it reads.
  std::unique_ptr<CDlgReportNav> navigator_;
  std::unique_ptr<CDlgInsertStock> insert_code_;
};

// The apartment the thread lives in, left when the thread's state is gone.
class Apartment {
 public:
  Apartment() : joined_(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) {}
  ~Apartment() {
    if (joined_) CoUninitialize();
  }
  Apartment(const Apartment&) = delete;
  Apartment& operator=(const Apartment&) = delete;

 private:
  const bool joined_;
};

void DialogsLoop::StartUp() {
  // A thread message posted before the queue exists is lost: make it, then let Start return.
  MSG ignored;
  PeekMessageW(&ignored, nullptr, WM_USER, WM_USER, PM_NOREMOVE);
  queue_ready_->Set();

  INITCOMMONCONTROLSEX classes = {sizeof(classes), ICC_TREEVIEW_CLASSES | ICC_LISTVIEW_CLASSES | ICC_STANDARD_CLASSES};
  InitCommonControlsEx(&classes);

  // The dialogs look for their files beside the executable; a process whose executable path
  // could not be kept looks beside the add-in instead.
  const std::u16string module_directory = ModuleDirectory();
  if (AdoptExecutableDirectory(module_directory)) {
    SetCurrentDirectoryW(reinterpret_cast<const wchar_t*>(module_directory.c_str()));
  }

  excel_.emplace(handoff_.Take());
}

void DialogsLoop::Run() {
  StartUp();
  MSG message;
  // GetMessage answers 0 at WM_QUIT and -1 on failure; both end the loop.
  while (GetMessageW(&message, nullptr, 0, 0) > 0) {
    if (message.hwnd == nullptr) {
      OnThreadMessage(message);
      continue;
    }
    if (navigator_ != nullptr) navigator_->PreTranslate(message);
    if (IsDialogMessageOfOurs(message)) continue;
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
}

bool DialogsLoop::IsDialogMessageOfOurs(MSG& message) const {
  for (const DialogHost* dialog : {static_cast<const DialogHost*>(navigator_.get()),
                                   static_cast<const DialogHost*>(insert_code_.get())}) {
    if (dialog != nullptr && dialog->window() != nullptr && IsDialogMessageW(dialog->window(), &message)) return true;
  }
  return false;
}

void DialogsLoop::OnThreadMessage(const MSG& message) {
  const std::optional<RibbonDialog> dialog =
      DialogRequested({message.message, static_cast<uintptr_t>(message.wParam), static_cast<intptr_t>(message.lParam)});
  if (dialog == RibbonDialog::kIndicatorNavigator) OpenNavigator();
  if (dialog == RibbonDialog::kInsertCode) OpenInsertCode();
}

void DialogsLoop::OpenNavigator() {
  // A window destroyed from outside (with its owner) is made again.
  if (navigator_ == nullptr || navigator_->window() == nullptr) {
    auto made = std::make_unique<CDlgReportNav>(*excel_, *store_);
    if (!made->Create(excel_window_)) return;
    navigator_ = std::move(made);
  }
  navigator_->ShowAgain();
}

void DialogsLoop::OpenInsertCode() {
  if (insert_code_ == nullptr || insert_code_->window() == nullptr) {
    auto made = std::make_unique<CDlgInsertStock>(store_.get());
    if (!made->Create(excel_window_)) return;
    insert_code_ = std::move(made);
  }
  insert_code_->ShowAgain();
}

HMODULE ThisModuleReferenced() {
  HMODULE module = nullptr;
  GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS, reinterpret_cast<LPCWSTR>(&ThisModuleReferenced), &module);
  return module;
}

// Runs the loop inside the apartment; every exception ends here.
void RunInApartment(DialogsLoop* state) {
  Apartment apartment;
  std::unique_ptr<DialogsLoop> loop(state);
  try {
    loop->Run();
  } catch (...) {
    // The thread ends; its dialogs go with the state below.
  }
  try {
    loop.reset();
  } catch (...) {
    // Destroying windows and releasing the proxy throw nothing; nothing may leave the thread.
  }
}

// What the new thread receives: its state, and the reference on the module it gives up last.
struct ThreadStart {
  std::unique_ptr<DialogsLoop> loop;
  HMODULE module;
};

DWORD WINAPI ThreadEntry(void* parameter) {
  HMODULE module = nullptr;
  {
    std::unique_ptr<ThreadStart> start(static_cast<ThreadStart*>(parameter));
    module = start->module;
    RunInApartment(start->loop.release());
  }
  // Gives up the thread's reference on the add-in module and exits without returning into it.
  FreeLibraryAndExitThread(module, 0);
}

}  // namespace

std::unique_ptr<CAddinWinThread> CAddinWinThread::Start(HWND excel_window, IDispatch* application,
                                                       std::shared_ptr<const COrraData> store) {
  if (store == nullptr) return nullptr;
  auto queue_ready = std::make_shared<Event>(Event::Reset::kManual);
  auto start = std::make_unique<ThreadStart>();
  start->loop = std::make_unique<DialogsLoop>(excel_window, application, std::move(store), queue_ready);
  start->module = ThisModuleReferenced();
  if (start->module == nullptr) return nullptr;
  DWORD thread_id = 0;
  const HANDLE thread = CreateThread(nullptr, 0, &ThreadEntry, start.get(), CREATE_SUSPENDED, &thread_id);
  if (thread == nullptr) {
    FreeLibrary(start->module);
    return nullptr;
  }
  // The thread owns its start from here; resumed, it makes its queue before Post is used.
  start.release();
  ResumeThread(thread);
  queue_ready->Wait(kQueueReadyWait);
  return std::unique_ptr<CAddinWinThread>(new CAddinWinThread(thread, thread_id));
}

CAddinWinThread::~CAddinWinThread() {
  PostThreadMessageW(thread_id_, WM_QUIT, 0, 0);
  CloseHandle(thread_);
}

bool CAddinWinThread::Post(const ThreadMessage& message) {
  return PostThreadMessageW(thread_id_, message.id, static_cast<WPARAM>(message.wparam),
                            static_cast<LPARAM>(message.lparam)) != FALSE;
}

}  // namespace orra
