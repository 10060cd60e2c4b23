#pragma once
// Developer mode's log: `CLogThread` appends queued lines to "develop.log" in the add-in's
// directory every 2000 ms, and switched the cell messages to their developer texts when it
// started. Lines are queued only while the thread runs, so a stopped log never grows memory.
//
// The one instance lives as long as the process and is never destroyed: its owner (the DLL's
// runtime when Excel disconnects or unloads the add-in, a tool or a test) stops it outside the
// loader lock, and a later Start runs a new thread, as developer mode after a second
// connection does.
//
// Any thread may call Write; Start and Stop are for Excel's main thread.

#include <atomic>
#include <cstdint>
#include <deque>
#include <memory>
#include <string>
#include <string_view>
#include <thread>

#include "common/env.h"
#include "common/event.h"
#include "common/no_destructor.h"
#include "common/spin_lock.h"

namespace orra {

class CellMessageTable;

class CLogThread {
 public:
  static constexpr char16_t kFileName[] = u"develop.log";
  static constexpr int kFlushPeriodMs = 2000;
  // A line of exactly this text is never written.
  static constexpr std::u16string_view kSuppressedLine = u"default";

  static CLogThread& Instance();

  // Starts the thread writing to `directory` + "develop.log" (directory ends with its
  // separator), stamping lines by the clock of `env` and switching `messages` to their
  // developer texts; both must outlive Stop. False when it runs already.
  bool Start(const std::u16string& directory, Env& env, CellMessageTable& messages);
  // Started and not stopped since (developer mode is on).
  bool Started() const;
  // True while lines are being taken.
  bool Running() const;
  // Sets the stop event and joins the thread, which writes what is queued first. Harmless
  // when it is not running.
  void Stop();

  // Queues one line (a timestamp is put in front), unless it is kSuppressedLine.
  void Write(std::u16string line);

  // Whether a Write would be kept: cheap, for callers that build their line only when needed.
  static bool Enabled() { return Instance().running_.load(std::memory_order_acquire); }

  CLogThread(const CLogThread&) = delete;
  CLogThread& operator=(const CLogThread&) = delete;

 private:
  friend class NoDestructor<CLogThread>;
  CLogThread() = default;
  ~CLogThread() = default;  // never runs
  void Run(std::u16string path);
  void WriteQueued(class LogFile& file);

  SpinLock queue_lock_;
  std::deque<std::u16string> queue_ ORRA_GUARDED_BY(queue_lock_);
  std::atomic<Env*> env_{nullptr};  // set by Start before running_ is
  std::atomic<bool> started_{false};
  std::atomic<bool> running_{false};
  Event stop_{Event::Reset::kManual};
  std::thread thread_;
};

// "2026-12-09 05:40:01.123" in the clock's local time, for log lines.
std::u16string LogTimestamp(const Clock& clock);

}  // namespace orra
