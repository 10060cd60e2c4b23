#pragma once
// ArrayWriter: puts the tables of a SheetWriteQueue into the active worksheet at the active
// cell, on Excel's main thread, in batches, retrying while Excel refuses. The hidden
// ArrayWindow on Windows is its shell: it owns the timer and forwards WM_TIMER to OnTimer.
//
// Three threads meet here. Producers only enqueue. The watcher thread, started by the
// constructor, waits on the wake event; when tables are waiting and the timer is not armed it
// arms the timer (2321, every 20 ms), and once everything has been taken it gives the queue's
// storage back. Excel's main thread, at each tick, stops the timer, runs one writing pass
// (the retry list if it holds a batch, else up to 5000 tables from the queue) and wakes the
// watcher to look again, so a long queue is written 5000 tables per tick.
//
// A batch is written with screen updating off. When Excel refuses to switch screen updating
// off (a cell is being edited), the whole batch waits in the retry list and is written from its
// first table on a later tick; queued tables wait behind it. When it refuses to switch it back
// on after the batch went in, the batch counts as written and later ticks only switch screen
// updating on again, writing nothing until that succeeds, so no table is ever written twice. A
// table that fails on its own (no active cell, an automation error, no values at all) is dropped
// without a word and the next one is written. After each table written, every request's
// delivered flag is cleared, so that Excel's next RefreshData reports them all again.

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <thread>
#include <vector>

#include "common/event.h"
#include "request/excel_object_model.h"
#include "request/requests_dictionary.h"
#include "request/rtd_server.h"
#include "request/sheet_table.h"
#include "request/sheet_write_queue.h"

namespace orra {

class ArrayWriter {
 public:
  static constexpr uint32_t kTimerId = 2321;
  static constexpr uint32_t kPeriodMs = 20;
  static constexpr size_t kMaxTablesPerPass = 5000;

  // Attaches to `queue` and starts the watcher. Everything given must outlive the writer;
  // `timer` is started from the watcher thread as well as from Excel's main thread. Tables
  // already waiting in the queue are written as if they had just been enqueued.
  ArrayWriter(SheetWriteQueue& queue, ExcelObjectModel& excel, RequestsDictionary& requests, MainThreadTimer& timer);
  // Excel's main thread. Stops the watcher (it only ever waits on the wake event, so it is
  // signalled and joined, never cut off) and detaches from the queue. A batch still waiting
  // for a retry goes back to the queue ahead of the untaken tables, for the next writer.
  ~ArrayWriter();
  ArrayWriter(const ArrayWriter&) = delete;
  ArrayWriter& operator=(const ArrayWriter&) = delete;

  // False when the watcher thread could not be started: nothing is then ever written.
  bool Started() const { return watcher_.joinable(); }

  // Every WM_TIMER of the hidden window, whatever its id (Excel's main thread).
  void OnTimer() noexcept;

  // For the shell's diagnostics and for tests.
  bool TimerArmed() const { return timer_armed_.load(); }
  size_t RetryCount() const { return retry_.size(); }

 private:
  void Watch() noexcept;
  void RunPass();
  // Writes `batch` with screen updating off; empties it on success. On a refusal the batch
  // becomes the retry list and the timer is armed.
  void WriteBatch(std::vector<SheetTable>& batch);
  void WriteTable(const SheetTable& table) noexcept;
  void ArmTimer();

  SheetWriteQueue& queue_;
  ExcelObjectModel& excel_;
  RequestsDictionary& requests_;
  MainThreadTimer& timer_;

  Event wake_{Event::Reset::kAuto};
  std::atomic<bool> running_{true};
  // Set by the watcher and by a refused batch, cleared after every pass. A lost update costs
  // one extra pass or one extra wake-up, never a table.
  std::atomic<bool> timer_armed_{false};
  std::vector<SheetTable> retry_;  // Excel's main thread only
  // A written batch left screen updating off (Excel's main thread only).
  bool screen_updating_owed_ = false;
  std::thread watcher_;            // last: it uses everything above
};

}  // namespace orra
