#pragma once
// ArrayWindow: the array writer's Win32 shell. A hidden top-level window of no style, made on
// the constructing thread (Excel's main thread, at OnConnection) and never shown; timer 2321
// at 20 ms on it; every WM_TIMER, whatever its id, runs one writing pass of the ArrayWriter
// within it. The window procedure lets no exception out.
//
// The writer's watcher thread arms the timer by posting the window a private message, which
// the window turns into SetTimer on its own thread: a timer belongs to the thread that owns
// its window.
//
// The tables come from the process's SheetWriteQueue (ProcessSheetWriteQueue), which the
// dialogs fill whether or not an ArrayWindow exists; one made later writes what waits there.
//
// Construction and destruction on Excel's main thread, whose message loop delivers the ticks.

#include <windows.h>

#include <memory>
#include <optional>

#include "addin/array_writer.h"
#include "common/window_class_win32.h"
#include "request/excel_object_model.h"
#include "request/requests_dictionary.h"
#include "request/sheet_write_queue.h"

namespace orra {

class ArrayWindow {
 public:
  // Writes the process's queue through `excel`, clearing the delivered flags of `requests`;
  // both must outlive the window.
  ArrayWindow(ExcelObjectModel& excel, RequestsDictionary& requests);
  // The same over a queue of the caller's (tests).
  ArrayWindow(ExcelObjectModel& excel, RequestsDictionary& requests, SheetWriteQueue& queue);
  // Stops the watcher (signalled and joined), then destroys the window; a batch waiting for a
  // retry goes back to the queue.
  ~ArrayWindow();
  ArrayWindow(const ArrayWindow&) = delete;
  ArrayWindow& operator=(const ArrayWindow&) = delete;

  // Any thread: hands a table to the process's queue. It is written at the active cell by the
  // window that exists then or by the next one made.
  static void Enqueue(SheetTable table);

  // False when the window or the watcher could not be made: nothing is written then, and the
  // queue keeps its tables.
  bool Started() const { return window_ != nullptr && writer_ != nullptr && writer_->Started(); }
  HWND window() const { return window_; }

 private:
  class Timer;

  static LRESULT CALLBACK WindowProcedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam);

  std::optional<WindowClass::Hold> class_hold_;
  HWND window_ = nullptr;
  std::unique_ptr<Timer> timer_;
  std::unique_ptr<ArrayWriter> writer_;  // after the timer and window it uses
};

}  // namespace orra
