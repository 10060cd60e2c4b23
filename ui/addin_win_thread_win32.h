#pragma once
// CAddinWinThread: the DialogThread port on Win32, the user-interface thread that owns the
// add-in's modeless dialogs. It is created suspended, handed Excel's main window (the dialogs'
// owner) and Excel's Application object (marshalled for its apartment), then resumed. Its start-up
// joins a single-threaded apartment, registers the tree and list view classes and, when the
// process's executable directory is still empty, makes the add-in module's directory both that
// and the current directory. Its loop gives every message to the dialog it belongs to first
// (Tab, Enter, Esc), and the thread message kOpenDialogMessage creates the dialog its wParam
// names at the first request and shows it again at every later one; a dialog that cannot be
// created is not shown and is tried again next time.
//
// Lifetime: the thread, not this object, owns the dialogs and its share of the store they read
// (given up when its loop ends, before the dialogs' last message could need it), and it holds
// a reference on the add-in module that it gives up only as it exits (FreeLibraryAndExitThread). So no unload of
// the DLL can take the code from under a running thread, whatever DllCanUnloadNow answered, and
// nothing has to wait for the thread under the loader lock or in a COM call. The object's
// destructor, at the last door of the add-in object that started the thread, only posts it
// WM_QUIT: the thread then destroys its dialogs, leaves its apartment and ends by itself.
//
// Start, the destructor and thread_id on the starting thread (Excel's main thread); Post from
// any thread.

#include <windows.h>
#include <oaidl.h>

#include <memory>

#include "addin/dialog_thread.h"
#include "store/orra_data.h"

namespace orra {

class CAddinWinThread final : public DialogThread {
 public:
  // The running thread, or null when it could not be started. `application` may be null: the
  // dialogs then have no Excel to ask about cells. The thread keeps `store` (not null) until its
  // loop ends, so a request still queued when the add-in lets go of its own copy finds it whole;
  // null when `store` is null or the thread cannot be started.
  static std::unique_ptr<CAddinWinThread> Start(HWND excel_window, IDispatch* application,
                                                std::shared_ptr<const COrraData> store);
  ~CAddinWinThread() override;
  CAddinWinThread(const CAddinWinThread&) = delete;
  CAddinWinThread& operator=(const CAddinWinThread&) = delete;

  bool Post(const ThreadMessage& message) override;
  DWORD thread_id() const { return thread_id_; }

 private:
  CAddinWinThread(HANDLE thread, DWORD thread_id) : thread_(thread), thread_id_(thread_id) {}

  HANDLE thread_;
  DWORD thread_id_;
};

}  // namespace orra
