#pragma once
// SheetWriteQueue: the tables waiting for the array writer, in the order they were handed in.
//
// Producers (the dialogs, on the user-interface thread) call Enqueue from any thread; it
// returns at once and never reports what became of the table. The array writer takes batches
// on Excel's main thread and lets its watcher thread empty the storage once everything has
// been taken. One spin lock guards the items and the taken count, held only for copying and
// counting, never across a call into Excel or a wait.
//
// The queue outlives any one array writer. A table enqueued while no writer is attached
// (before Excel connects the add-in, after it disconnects it, while the dialogs may still be
// open) stays here and is written once a writer attaches: a dialog's result is never dropped
// because Excel's side was not ready.

#include <cstddef>
#include <vector>

#include "common/event.h"
#include "common/mutex.h"
#include "common/spin_lock.h"
#include "request/sheet_table.h"

namespace orra {

class SheetWriteQueue {
 public:
  SheetWriteQueue() = default;
  SheetWriteQueue(const SheetWriteQueue&) = delete;
  SheetWriteQueue& operator=(const SheetWriteQueue&) = delete;

  // Any thread: appends the table and wakes the attached writer, if one is.
  void Enqueue(SheetTable table);

  // The writer's wake event is set after every Enqueue from now on, and at once when tables
  // are already waiting. One writer at a time; `wake` must stay valid until Detach.
  void Attach(Event& wake);
  // From its return on, no Enqueue touches the event given to Attach.
  void Detach();

  // True when some enqueued table has not been taken yet.
  bool HasUntaken() const;
  // Takes the next at most `max_items` tables, oldest first, and advances the taken count.
  std::vector<SheetTable> TakeBatch(size_t max_items);
  // Once every table has been taken: empties the storage and starts the taken count again.
  void CompactIfAllTaken();
  // Puts tables taken but not written back ahead of every untaken one, in their order, so
  // that the next writer writes them first.
  void ReturnUnwritten(std::vector<SheetTable> tables);

 private:
  mutable SpinLock lock_;
  // The tables taken so far stay (emptied) at the front until CompactIfAllTaken.
  std::vector<SheetTable> items_ ORRA_GUARDED_BY(lock_);
  size_t taken_ ORRA_GUARDED_BY(lock_) = 0;

  // Attach and Detach against the Enqueue that is about to set the event.
  Mutex wake_mutex_;
  Event* wake_ ORRA_GUARDED_BY(wake_mutex_) = nullptr;
};

// The process's one queue, which the dialogs hand their tables to and the add-in's array
// writer attaches to between OnConnection and OnDisconnection. Built on first use; never
// destroyed, so no static destructor runs at unload.
SheetWriteQueue& ProcessSheetWriteQueue();

}  // namespace orra
