#include "request/sheet_write_queue.h"

#include <algorithm>
#include <iterator>
#include <utility>

#include "common/no_destructor.h"

namespace orra {

void SheetWriteQueue::Enqueue(SheetTable table) {
  {
    SpinLockGuard guard(lock_);
    items_.push_back(std::move(table));
  }
  MutexLock lock(wake_mutex_);
  if (wake_ != nullptr) wake_->Set();
}

void SheetWriteQueue::Attach(Event& wake) {
  {
    MutexLock lock(wake_mutex_);
    wake_ = &wake;
  }
  if (HasUntaken()) wake.Set();
}

void SheetWriteQueue::Detach() {
  MutexLock lock(wake_mutex_);
  wake_ = nullptr;
}

bool SheetWriteQueue::HasUntaken() const {
  SpinLockGuard guard(lock_);
  return taken_ != items_.size();
}

std::vector<SheetTable> SheetWriteQueue::TakeBatch(size_t max_items) {
  SpinLockGuard guard(lock_);
  const size_t count = std::min(max_items, items_.size() - taken_);
  const auto first = items_.begin() + static_cast<std::ptrdiff_t>(taken_);
  // Moved, not copied: a taken table is never read here again.
  std::vector<SheetTable> batch(std::make_move_iterator(first),
                                std::make_move_iterator(first + static_cast<std::ptrdiff_t>(count)));
  taken_ += count;
  return batch;
}

void SheetWriteQueue::CompactIfAllTaken() {
  SpinLockGuard guard(lock_);
  if (taken_ != items_.size()) return;
  std::vector<SheetTable>().swap(items_);  // gives the storage back, not only the items
  taken_ = 0;
}

void SheetWriteQueue::ReturnUnwritten(std::vector<SheetTable> tables) {
  if (tables.empty()) return;
  SpinLockGuard guard(lock_);
  // Drop the emptied front, then put the returned tables where the untaken ones begin.
  items_.erase(items_.begin(), items_.begin() + static_cast<std::ptrdiff_t>(taken_));
  taken_ = 0;
  items_.insert(items_.begin(), std::make_move_iterator(tables.begin()), std::make_move_iterator(tables.end()));
}

SheetWriteQueue& ProcessSheetWriteQueue() {
  static NoDestructor<SheetWriteQueue> queue;
  return *queue;
}

}  // namespace orra
